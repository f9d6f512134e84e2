#pragma once
// Base of the views that show their content in a panel of the page: a header with the check
// button, the caption and the detach button, and a content panel that can move into a
// detached stay-on-top window.

#include "view2d/TSlaveWindowF.h"
#include "view2d/TVisualClass.h"

#include <QPointer>

class QFrame;
class QLabel;
class QToolButton;
class QVBoxLayout;

namespace vorelt {

class TPanelVC : public TGVVisualClass {
public:
    explicit TPanelVC(TGVFinal* processor);
    ~TPanelVC() override;
    std::string ClassName() const override { return "TPanelVC"; }

    QFrame* Panel() const { return FPanel; }
    // Where subclasses put their controls.
    QWidget* Content() const { return FContent; }
    QVBoxLayout* ContentLayout() const { return FContentLayout; }

    void SetVisible(bool value) override;
    void SetParentWindow(QWidget* window) override;
    void SetTop(int32_t value) override;
    void SetLeft(int32_t value) override;
    void SetHeight(int32_t value) override;
    void SetWidth(int32_t value) override;
    void SetFocusedView(bool value) override;
    void SetCheckMark(bool value) override;
    bool GetCheckMark() const override { return FChecked; }
    void SetActive(bool value) override;
    void SetOutdated(bool value) override;
    void UpdateAppearance() override;
    void Detach() override;
    int32_t GetStatus() const override { return StandardStatus(); }

    // Opens the detached window (nothing when it is open already).
    void DetachView();
    void CloseSlaveWindow();
    bool IsDetached() const { return !FSlave.isNull(); }
    TSlaveWindowF* SlaveWindow() const { return FSlave.data(); }
    const TSlaveRect& SlaveRect() const { return FSlaveRect; }
    void SetSlaveRect(const TSlaveRect& r) { FSlaveRect = r; }
    // The main window that a new detached window centres on.
    static void SetMainWindow(QWidget* window);
    static QWidget* MainWindow();

    // Child "SlaveWindow" with "Top", "Left", "Width", "Height"; an open window's rectangle
    // is taken first.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

protected:
    // The view lays its content out again (after the content panel came back).
    virtual void Relayout() {}
    // The view's own context menu items; empty in the base.
    virtual QList<QAction*> PopupItems() { return {}; }
    void ShowPopup(const QPoint& screenPos);
    void ApplyGeometry();
    // The child "SlaveWindow" alone, for views that store it between their own children.
    void SaveSlaveWindow(TNodePersist& node) const;
    // The title bar (views that list records for others hide it).
    void SetHeaderVisible(bool visible);
    QLabel* CaptionLabel() const { return FCaption; }

    // The open window's rectangle, else the stored one.
    TSlaveRect CurrentSlaveRect() const;

private:
    void SlaveClosing(TSlaveWindowF& window);

    QFrame* FPanel;
    QWidget* FHeader;
    QToolButton* FCheckButton;
    QLabel* FCaption;
    QToolButton* FDetachButton;
    QWidget* FContent;
    QVBoxLayout* FContentLayout;
    QVBoxLayout* FPanelLayout;
    QPointer<TSlaveWindowF> FSlave;
    TSlaveRect FSlaveRect;
    bool FChecked = false;
};

} // namespace vorelt
