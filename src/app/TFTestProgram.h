#pragma once
// The test program window: the database's test graph above, the sections list and the pages
// of the load line below. While it is open the section rectangles and the load line are
// objects of the graph's container; moving a rectangle moves its section, drawing a line
// gives the load line its points. Closing takes the objects off the graph and gives the graph
// back to the database.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTreeWidget;

namespace vorelt {

class TBaseAEVObject;
class TGVDb;
class TGraphDb;
class TIniApplic;
class TLoadLineAEVObject;
class TProjectAE;
class TSectionRectAEVObject;
class TTestSection;

inline constexpr char txtDrawLineInfo[] = "Click Mouse's Left Button Into Graph Test For Begin "
                                          "Constructed And Mouse's Right Button For End";

class TFTestProgram : public QDialog {
    Q_OBJECT
public:
    TFTestProgram(TProjectAE& project, TIniApplic* settings, QWidget* parent = nullptr);
    ~TFTestProgram() override;

    TGraphDb& Graph() const { return FGraph; }
    QTreeWidget* Sections() const { return FSections; }
    QTreeWidget* Points() const { return FPoints; }
    QTabWidget* Pages() const { return FPages; }
    QLabel* InfoBox() const { return FInfo; }
    QLineEdit* MinEdit() const { return FMinEdit; }
    QLineEdit* MaxEdit() const { return FMaxEdit; }
    QLineEdit* WidthEdit() const { return FWidthEdit; }
    QPushButton* Button(const char* name) const;
    TLoadLineAEVObject* LineObject() const { return FLine; }
    TSectionRectAEVObject* SectionRect(int i) const;

    // The commands of the buttons.
    void AddSection();
    void EditSection();
    void DeleteSection();
    void MoveSection(int delta);
    void DrawTestLine();
    void DeleteTestLine();
    void ChooseColor();
    void AddPoint();
    void EditPoint();
    void DeletePoint();
    void ReloadData();
    void GraphSettings();
    // Applies a changed bound or width edit (as leaving the edit does).
    void ApplyMin();
    void ApplyMax();
    void ApplyWidth();

    // Places every rectangle and the line again on the graph's current ranges.
    void PlaceAll();
    void RefreshSections();
    void RefreshPoints();
    void RefreshParameters();

protected:
    void done(int result) override;

private:
    void Activate();
    void PlaceSection(TTestSection& section);
    void PlaceLine();
    // Marks the vertex of the load line's point (row) `point`, and no other.
    void MarkVertex(int point);
    void RemoveShape(TBaseAEVObject* object);
    void RemoveAllShapes();
    void LineDrawn(TLoadLineAEVObject& line);
    void DrawingOver();
    void SectionMoved(TSectionRectAEVObject& rect);
    void SelectSectionRow(TSectionRectAEVObject& rect);
    void Modified();
    void ShowError(const std::string& text);
    void SaveBounds();
    void UpdateButtons();

    TProjectAE& FProject;
    TGVDb& FDb;
    TGraphDb& FGraph;
    TIniApplic* FSettings;
    QSplitter* FSplitter;
    QWidget* FGraphHolder;
    QTreeWidget* FSections;
    QTreeWidget* FPoints = nullptr;
    QTabWidget* FPages;
    QLabel* FInfo;
    QLineEdit* FMinEdit;
    QLineEdit* FMaxEdit;
    QLineEdit* FWidthEdit;
    TLoadLineAEVObject* FLine = nullptr;
    // The vertex of FLine that shows each point of the load line, -1 for one not placed.
    std::vector<int> FVertexOfPoint;
    TLoadLineAEVObject* FDrawing = nullptr;
    bool FSaved = false;
    bool FPlacing = false;
};

} // namespace vorelt
