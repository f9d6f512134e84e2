#pragma once
// The six mode buttons of a 3D scene ("CLEAR", "RESET", "ZOOM", "SELECT", "ROUND", "MOVE")
// with the pop-ups of "CLEAR", "ROUND" and "MOVE", sending their commands to a container.
// The 3D view and the schema editor both carry one.

#include <QWidget>
#include <array>
#include <functional>

class QMenu;
class QToolButton;

namespace vorelt {

class TOGLContainer;

// The buttons: glyph name and tag.
struct TModeButton {
    const char* Glyph;
    int32_t Tag;
};
inline constexpr TModeButton ModeButtons[] = {{"CLEAR", 0},  {"RESET", 3}, {"ZOOM", 4},
                                              {"SELECT", 5}, {"ROUND", 6}, {"MOVE", 10}};

class TOGLModeBar : public QWidget {
    Q_OBJECT
public:
    TOGLModeBar(TOGLContainer& container, QWidget* parent = nullptr);

    QToolButton* Button(const char* glyph) const;
    // The pop-up of "CLEAR" (tag 0), "ROUND" (6) or "MOVE" (10), items named "mClearDef",
    // "mRoundX", ... with the current axis ticked; the caller owns it.
    QMenu* BuildMenu(int32_t tag);
    // A click on "RESET", "ZOOM" or "SELECT", or a chosen pop-up item: a focus request, the
    // command to the container, the buttons updated.
    void Command(int32_t code);
    // The down state by the container's mode; kept while a shortcut is typed.
    void UpdateButtons();

    // A click on the bar or one of its buttons.
    std::function<void()> OnFocusRequest;

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    void FocusRequest() {
        if (OnFocusRequest) OnFocusRequest();
    }

    TOGLContainer& FContainer;
    std::array<QToolButton*, 6> FButtons{};
};

} // namespace vorelt
