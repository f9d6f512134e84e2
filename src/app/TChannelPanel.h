#pragma once
// The splitting-channels panel on the left of a project window: a strip that opens and closes
// it, "All", "Load" and "Radio Buttons", and for each of the 128 channels a colour square and a
// check box (or radio button), enabled only for the channels present in the data file. A right
// click on a square edits the palette colour. Every choice that changes the channels to split
// asks for them to be sent (SplitChannelsRequested); the window sends them.

#include <QFrame>
#include <cstdint>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QMenu;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace vorelt {

class TChannelPanel : public QFrame {
    Q_OBJECT
public:
    explicit TChannelPanel(QWidget* parent = nullptr);

    bool Collapsed() const { return FCollapsed; }
    void SetCollapsed(bool collapsed);

    // Rebuilds the boxes for the channels present (index = channel number; missing entries
    // count as absent) in check-box or radio mode.
    void SetChannels(const std::vector<bool>& present, bool radioMode);
    // Channels 1..128; nullptr outside or before the first SetChannels.
    QAbstractButton* ChannelBox(int channel) const;
    QFrame* ChannelSquare(int channel) const;
    bool RadioMode() const { return FRadioMode; }
    bool AllChecked() const { return FAllChecked; }
    // The checked and enabled channels, in channel order.
    std::vector<uint32_t> CheckedChannels() const;

    // "All": toggles the flag and sets every enabled box to it.
    void ToggleAllChannels();
    // "Radio Buttons": leaving radio mode unchecks all boxes.
    void SetRadioMode(bool radio);
    void EditChannelColor(int channel);
    void DefaultChannelColor(int channel);
    void RestoreDefaultColors();

signals:
    void SplitChannelsRequested();

private:
    void Rebuild();

    bool FCollapsed = true;
    bool FAllChecked = false;
    bool FRadioMode = false;
    std::vector<bool> FPresent;
    QToolButton* FStripButton = nullptr;
    QWidget* FArea = nullptr;
    QScrollArea* FScroll = nullptr;
    QWidget* FBoxesPanel = nullptr;
    QPushButton* FAllButton = nullptr;
    QCheckBox* FRadioButtonsBox = nullptr;
    std::vector<QFrame*> FSquares;
    std::vector<QAbstractButton*> FBoxes;
    QMenu* FColorPopup = nullptr;
    int FColorChannel = 0;
};

} // namespace vorelt
