#pragma once
// The series dialog: every setting of one graph series, each applied to the series as soon as
// its control changes (the graph then shows itself changed). Cancel puts the settings back as
// they were when the dialog opened. Which controls a series type can edit, and the texts the
// dialog shows, are the rules of TSeriesEditRules.

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace vorelt {

class TAEField;
class TGVCPU;
class TGraphVC;
class TIniApplic;
class TLCEditor;
class TSeriesGr;
class TSeriesSnapshot;

// What the dialog needs to know of the graph the series belongs to.
struct TSeriesContext {
    // The processor whose fields the series' condition may test; none: no fields.
    TGVCPU* Processor = nullptr;
    // The bottom axis field (the bin width's unit and keys), none without one.
    const TAEField* BottomField = nullptr;
    // The right axis is enabled and has a field: the side can be chosen.
    bool RightAxisOn = false;
    // The colours the graph's other series use.
    std::vector<int32_t> OtherColors;
    // Where the window keeps its geometry ("SERIESF"); none: not kept.
    TIniApplic* Settings = nullptr;
};

// The context of a series of a 2D graph view.
TSeriesContext SeriesContextOf(TGraphVC& graph, const TSeriesGr& series,
                               TIniApplic* settings = nullptr);

class TFSeries : public QDialog {
    Q_OBJECT
public:
    TFSeries(TSeriesGr& series, const TSeriesContext& context, bool isNew,
             QWidget* parent = nullptr);
    ~TFSeries() override;

    TSeriesGr& Series() const { return FSeries; }
    QCheckBox* EnableFilterBox() const { return FEnableFilter; }
    QCheckBox* VisibleBox() const { return FVisible; }
    QCheckBox* SelectedBox() const { return FSelected; }
    QCheckBox* UseDelRecBox() const { return FUseDelRec; }
    QCheckBox* SplittingChanBox() const { return FSplitting; }
    QGroupBox* SideGroup() const { return FSideGroup; }
    QRadioButton* SideButton(int side) const;
    QComboBox* ColorBox() const { return FColor; }
    QComboBox* PointStyleBox() const { return FPointStyle; }
    QRadioButton* BinNumTypeButton(int type) const;
    QLabel* BinNumLabel() const { return FBinNumLabel; }
    QLineEdit* BinNumEdit() const { return FBinNum; }
    QRadioButton* BinSumButton(int type) const;
    QRadioButton* CumulationButton(int type) const;
    QCheckBox* CenterBinBox() const { return FCenterBin; }
    TLCEditor* ConditionEditor() const { return FEditor; }

    // Cancel: the settings as they were when the dialog opened.
    void reject() override;
    bool Restored() const { return FRestored; }

private:
    // Every change ends here: the graph shows itself changed.
    void Applied();
    void ShowBinNum();
    void BinNumEdited();
    QGroupBox* RadioGroup(const char* name, const char* title, const char* const* captions,
                          int count, int first, std::vector<QRadioButton*>& buttons,
                          const std::function<void(int)>& chosen);

    TSeriesGr& FSeries;
    TSeriesContext FContext;
    std::unique_ptr<TSeriesSnapshot> FSnapshot;
    QCheckBox* FEnableFilter;
    QCheckBox* FVisible;
    QCheckBox* FSelected;
    QCheckBox* FUseDelRec;
    QCheckBox* FSplitting;
    QGroupBox* FSideGroup;
    std::vector<QRadioButton*> FSides;
    QComboBox* FColor;
    QComboBox* FPointStyle;
    std::vector<QRadioButton*> FBinTypes;
    QLabel* FBinNumLabel;
    QLineEdit* FBinNum;
    std::vector<QRadioButton*> FBinSums;
    std::vector<QRadioButton*> FCumulations;
    QCheckBox* FCenterBin;
    TLCEditor* FEditor;
    bool FRestored = false;
};

// Opens the dialog for the series; true on OK. A new series (isNew) is the caller's to drop
// on false.
bool EditSeries(QWidget* parent, TSeriesGr& series, const TSeriesContext& context, bool isNew);

} // namespace vorelt
