#pragma once
// The settings frame of a 3D graph, shown where the processor is selected: the pages
// "Schema" (add, edit or delete the pipe schema), "Comments" (title and its justification)
// and "Info" (the information fields and "Show Activity").

#include <QWidget>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class QTreeWidget;

namespace vorelt {

class TGraph3DVC;

class TfrmAeGraph3D : public QWidget {
    Q_OBJECT
public:
    explicit TfrmAeGraph3D(TGraph3DVC& view, QWidget* parent = nullptr);
    ~TfrmAeGraph3D() override;

    TGraph3DVC& View() const { return FView; }
    QTabWidget* Pages() const { return FPages; }
    // Refreshes every page from the view.
    void Refresh();

    // --- Schema page ------------------------------------------------------------------------
    // The pop-up of the "Add" state: one item "mSchema_<i>" per schema class.
    QMenu* BuildAddMenu();
    // Replaces the schema by a new one of the class, marks the view modified and opens the
    // editor.
    void AddSchema(int classIndex);
    void EditSchema();
    // Asks "Delete ?" first.
    void DeleteSchema();

    // --- Comments page ----------------------------------------------------------------------
    // 0 left, 2 centre, 1 right.
    void SetTitleAlignment(uint8_t alignment);
    // The frame is left: a changed title is stored.
    void StoreTitle();

    // --- Info page --------------------------------------------------------------------------
    // The picker of the processor's fields; the listed ones checked.
    QMenu* BuildFieldMenu();
    // Appends the field unless it is listed.
    bool AddInfoField(const std::string& id);
    void MoveInfoField(int delta);
    void DeleteInfoField();
    void EditInfoField();
    void SetShowActivity(bool on);
    int CurrentInfoIndex() const;
    void SetCurrentInfoIndex(int i);

    // Opens the schema editor of the view.
    std::function<void(TGraph3DVC& view)> OnOpenEditor;
    // The tree entry of the processor is to be refreshed.
    std::function<void()> OnRefreshTree;

protected:
    void hideEvent(QHideEvent* e) override;

private:
    void RefreshSchemaPage();
    void RefreshInfoPage();
    void UpdateInfoButtons();
    void Modified(bool resetData);

    TGraph3DVC& FView;
    QLabel* FTitle = nullptr;
    QTabWidget* FPages = nullptr;
    QPushButton* FSchemaButton = nullptr;
    QLineEdit* FSchemaText = nullptr;
    QPushButton* FDeleteSchema = nullptr;
    QLineEdit* FTitleEdit = nullptr;
    QToolButton* FAlign[3];
    QTreeWidget* FInfo = nullptr;
    QPushButton* FUp = nullptr;
    QPushButton* FDown = nullptr;
    QPushButton* FAdd = nullptr;
    QPushButton* FEdit = nullptr;
    QPushButton* FDelete = nullptr;
    QCheckBox* FShowActivity = nullptr;
};

} // namespace vorelt
