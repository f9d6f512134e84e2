#include "view3d/TOGLModeBar.h"

#include "view3d/TOGLContainer.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>

namespace vorelt {

namespace {

struct TModeItem {
    const char* Caption;
    const char* Name;
    int32_t Command;
};
constexpr TModeItem ClearItems[] = {{"To Default", "mClearDef", ccToDefault},
                                    {"To Last Save", "mClearLastSave", ccToLastSave}};
constexpr TModeItem RoundItems[] = {{"Round From X", "mRoundX", ccRoundX},
                                    {"Round From Y", "mRoundY", ccRoundX + 1},
                                    {"Round From Z", "mRoundZ", ccRoundX + 2}};
constexpr TModeItem MoveItems[] = {{"Move At X", "mMoveX", ccMoveX},
                                   {"Move At Y", "mMoveY", ccMoveX + 1},
                                   {"Move At Z", "mMoveZ", ccMoveX + 2}};

} // namespace

TOGLModeBar::TOGLModeBar(TOGLContainer& container, QWidget* parent)
    : QWidget(parent), FContainer(container) {
    setObjectName("pnlToolBar");
    setFixedHeight(30);
    auto* bar = new QHBoxLayout(this);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);
    for (size_t i = 0; i < FButtons.size(); ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(ModeButtons[i].Glyph);
        b->setText(ModeButtons[i].Glyph);
        b->setProperty("glyph", ModeButtons[i].Glyph);
        b->setProperty("tag", ModeButtons[i].Tag);
        b->setAutoRaise(true);
        b->setFixedHeight(30);
        b->setMinimumWidth(30);
        b->setCheckable(ModeButtons[i].Tag != 0);
        b->setFocusPolicy(Qt::NoFocus);
        bar->addWidget(b);
        FButtons[i] = b;
        const int32_t tag = ModeButtons[i].Tag;
        connect(b, &QToolButton::clicked, this, [this, tag, b] {
            if (tag == ccReset || tag == ccZoom || tag == ccSelect) {
                Command(tag);
                return;
            }
            QMenu* menu = BuildMenu(tag);
            QAction* chosen = menu->exec(QCursor::pos());
            QApplication::processEvents();
            FocusRequest();
            const int32_t code = chosen ? chosen->data().toInt() : 0;
            delete menu;
            if (code != 0)
                Command(code);
            else
                UpdateButtons();
            if (tag == 0) b->setDown(false);
        });
    }
    bar->addStretch(1);
}

QToolButton* TOGLModeBar::Button(const char* glyph) const {
    for (QToolButton* b : FButtons)
        if (b && b->objectName() == glyph) return b;
    return nullptr;
}

QMenu* TOGLModeBar::BuildMenu(int32_t tag) {
    auto* menu = new QMenu(this);
    const TModeItem* items = ClearItems;
    size_t count = std::size(ClearItems);
    int tickMode = -1;
    if (tag == 6) {
        items = RoundItems;
        count = std::size(RoundItems);
        tickMode = cmRound;
    } else if (tag == 10) {
        items = MoveItems;
        count = std::size(MoveItems);
        tickMode = cmMove;
    }
    for (size_t i = 0; i < count; ++i) {
        QAction* a = menu->addAction(items[i].Caption);
        a->setObjectName(items[i].Name);
        a->setData(items[i].Command);
        if (tickMode >= 0) {
            a->setCheckable(true);
            a->setChecked(FContainer.Core().Mode() == tickMode &&
                          FContainer.Core().Axis() == i + 1);
        }
    }
    return menu;
}

void TOGLModeBar::Command(int32_t code) {
    FocusRequest();
    FContainer.Perform(oglNotify, code);
    UpdateButtons();
}

void TOGLModeBar::UpdateButtons() {
    const uint8_t mode = FContainer.Core().Mode();
    if (mode == cmTyping) return;
    auto set = [this](const char* glyph, bool down) {
        if (QToolButton* b = Button(glyph)) b->setChecked(down);
    };
    set("RESET", mode == cmWait);
    set("ROUND", mode == cmRound);
    set("MOVE", mode == cmMove);
    set("ZOOM", mode == cmZoom);
    set("SELECT", mode == cmSelect);
}

void TOGLModeBar::mousePressEvent(QMouseEvent* e) {
    QWidget::mousePressEvent(e);
    FocusRequest();
}

} // namespace vorelt
