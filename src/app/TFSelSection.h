#pragma once
// The section dialog of the test program (name and range in whole seconds, checked on OK) and
// the section selection window of criterion fields ("SelSection"): the sections list, where a
// double click marks or unmarks a section, and OK hands the marked sections' IDs back. Given
// the test graph, the window shows it above the list with the sections' rectangles.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QTreeWidget;

namespace vorelt {

class TGraphDb;
class TIniApplic;
class TRectFillAEVObject;
class TTestSection;
class TTestSectionList;

class TSectionDialog : public QDialog {
    Q_OBJECT
public:
    // `editedIndex` is the section's place in the list, -1 for a new one.
    TSectionDialog(const TTestSectionList& sections, int editedIndex, QWidget* parent = nullptr);
    QLineEdit* NameEdit() const { return FName; }
    QLineEdit* MinEdit() const { return FMin; }
    QLineEdit* MaxEdit() const { return FMax; }
    // OK: the message of the first failing check is shown and the dialog stays.
    bool TryAccept();
    // Stores name, MinVal and MaxVal of an accepted dialog.
    void StoreInto(TTestSection& section) const;

private:
    const TTestSectionList& FSections;
    int FEdited;
    QLineEdit* FName;
    QLineEdit* FMin;
    QLineEdit* FMax;
};

class TFSelSection : public QDialog {
    Q_OBJECT
public:
    // The marks start from `chosenIDs`.
    TFSelSection(TTestSectionList& sections, const std::vector<std::string>& chosenIDs,
                 TIniApplic* settings, QWidget* parent = nullptr, TGraphDb* graph = nullptr);
    ~TFSelSection() override;

    QTreeWidget* List() const { return FList; }
    void Toggle(int row);
    // The marked sections' IDs, in list order.
    std::vector<std::string> CheckedIDs() const;
    void Refresh();
    // The rectangles shown on the test graph, one per section that could be placed.
    int RectangleCount() const { return static_cast<int>(FRects.size()); }

private:
    void PlaceRectangles();

    TTestSectionList& FSections;
    TGraphDb* FGraph;
    std::vector<TRectFillAEVObject*> FRects;
    TIniApplic* FSettings;
    QTreeWidget* FList;
};

} // namespace vorelt
