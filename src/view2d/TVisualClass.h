#pragma once
// The view base: a group of controls that a project page places at a rectangle of its own.
// Final processors own one view each; the project window lays views out, activates them on
// "Run" and marks them outdated.

#include "persist/TGVProperties.h"
#include "processing/IFinalView.h"

#include <QList>
#include <QPoint>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QWidget;

namespace vorelt {

class TGVFinal;
class TNodePersist;

class TVisualClass {
public:
    TVisualClass();
    virtual ~TVisualClass();
    TVisualClass(const TVisualClass&) = delete;
    TVisualClass& operator=(const TVisualClass&) = delete;

    virtual std::string ClassName() const { return "TVisualClass"; }

    // Replaces the list, then UpdateAppearance.
    virtual void SetProperties(std::unique_ptr<TGVProperties> list);
    TGVProperties& Properties() { return *FProperties; }
    const TGVProperties& Properties() const { return *FProperties; }
    std::string Title() const;

    virtual void SetVisible(bool value) { FVisible = value; }
    bool Visible() const { return FVisible; }
    // Disabling also deactivates.
    virtual void SetEnabled(bool value);
    bool Enabled() const { return FEnabled; }
    // Stored only when clearing or when enabled; always clears Outdated.
    virtual void SetActive(bool value);
    bool Active() const { return FActive; }
    virtual void SetOutdated(bool value);
    bool Outdated() const { return FOutdated; }
    virtual void SetParentWindow(QWidget* window) { FParentWindow = window; }
    QWidget* ParentWindow() const { return FParentWindow; }
    virtual void SetTop(int32_t value) { FTop = value; }
    virtual void SetLeft(int32_t value) { FLeft = value; }
    virtual void SetHeight(int32_t value) { FHeight = value; }
    // Only values above 0.
    virtual void SetWidth(int32_t value);
    int32_t Top() const { return FTop; }
    int32_t Left() const { return FLeft; }
    int32_t Height() const { return FHeight; }
    int32_t Width() const { return FWidth; }
    // On a change: stores and fires OnFocus or OnUnfocus.
    virtual void SetFocusedView(bool value);
    virtual bool GetFocusedView() const { return FFocused; }
    virtual void SetCheckMark(bool value) = 0;
    virtual bool GetCheckMark() const = 0;
    virtual void UpdateAppearance() {}
    // Hidden, without parent and without handlers.
    virtual void Detach();
    // "ClassName", then the child "Properties".
    virtual void SaveToNode(TNodePersist& node) const;
    virtual void LoadFromNode(const TNodePersist& node);
    virtual std::string GetCaption() const = 0;

    std::function<void(TVisualClass&)> OnFocus;
    std::function<void(TVisualClass&)> OnUnfocus;
    std::function<void(TVisualClass&, const QPoint&, const QList<QAction*>&)> OnPopupMenu;

protected:
    bool FVisible = false;
    bool FEnabled = true;
    bool FActive = false;
    bool FOutdated = false;
    QWidget* FParentWindow = nullptr;
    int32_t FTop = 0;
    int32_t FLeft = 0;
    int32_t FHeight = 0;
    int32_t FWidth = 0;
    std::unique_ptr<TGVProperties> FProperties;
    bool FFocused = false;
};

// Status codes of GetStatus.
constexpr int32_t vsEmpty = 0;
constexpr int32_t vsActive = 1;
constexpr int32_t vsUnavailable = 2;
constexpr int32_t vsOutdated = 3;

// Codes of CheckReady.
constexpr int32_t crReady = -1;
constexpr int32_t crNotConfigured = 1;
constexpr int32_t crNotPlaced = 2;

class TGVVisualClass : public TVisualClass, public IFinalView {
public:
    explicit TGVVisualClass(TGVFinal* processor);
    std::string ClassName() const override { return "TGVVisualClass"; }

    TGVFinal* Processor() const { return FProcessor; }
    virtual int32_t GetStatus() const { return vsEmpty; }
    // The processor's settings changed; ResetData also empties the view.
    virtual void SetModified(bool resetData);
    virtual bool ReportFieldUse(const std::string& fieldId, std::vector<std::string>& messages);
    virtual bool UsesField(const std::string& fieldId) const;
    virtual void RemoveField(const std::string& fieldId);
    virtual void RefreshAxisCaptions() {}

    // IFinalView
    // Ready when the view has its settings and stands on one of the project's pages.
    int32_t CheckReady() override;
    void SetFocused(bool flag) override { SetFocusedView(flag); }
    bool GetFocused() const override { return GetFocusedView(); }
    void SetChecked(bool flag) override { SetCheckMark(flag); }
    bool GetChecked() const override { return GetCheckMark(); }
    void SetFirstHitOnly(bool flag) override { FFirstHitOnly = flag; }
    bool GetFirstHitOnly() const override { return FFirstHitOnly; }
    // Focus, detaching, check marks and deactivation that travel down the tree.
    void ViewMessage(TAEOMSG& msg) override;
    // The node of SaveToNode and LoadFromNode; views that follow settings override
    // SettingsChanged.
    void SaveView(TNodePersist& node) const override { SaveToNode(node); }
    void LoadView(const TNodePersist& node) override { LoadFromNode(node); }
    void SettingsChanged(bool propagate) override { (void)propagate; }

    // The title, " [", the processor's name and "]"; only the name when the title is empty.
    std::string GetCaption() const override;

protected:
    // Whether the view has the settings it needs to show anything.
    virtual bool Configured() const { return true; }
    // What views report: 3 outdated, 1 active, 0 empty while the view is enabled and the
    // chain's data source is ready; 2 otherwise.
    int32_t StandardStatus() const;

    TGVFinal* FProcessor;
    bool FFirstHitOnly = false;
};

} // namespace vorelt
