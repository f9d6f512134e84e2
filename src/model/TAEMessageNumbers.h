#pragma once
// Numbers of the object messages exchanged by drivers, processors, views and the project.

#include <cstdint>

namespace vorelt {

constexpr uint32_t omDataChanged = 0x401;          // down: drop computed state, views deactivate
constexpr uint32_t omSourceState = 0x402;          // down: data-source state changed
constexpr uint32_t omForwardOnly = 0x403;          // down: no meaning of its own
constexpr uint32_t omCollectMissingFields = 0x404; // down: WParam = TMissingFieldsRequest*
constexpr uint32_t omFocusView = 0x405;            // to the project, then down: Text = ID
constexpr uint32_t omLoseFocus = 0x406;            // down: every view loses the focus
constexpr uint32_t omTakeFocus = 0x407;            // up to the project
constexpr uint32_t omRefreshOutdated = 0x408;      // up to the project
constexpr uint32_t omModified = 0x409;             // up: project modified, told so
constexpr uint32_t omDetachViews = 0x40A;          // down
constexpr uint32_t omSplitChannels = 0x40B;        // down: List = split channels
constexpr uint32_t omColorScheme = 0x40C;          // down: WParam = background colour
constexpr uint32_t omSelectedAdded = 0x40D;        // down, re-validates "Selected" users
constexpr uint32_t omSelectGroup = 0x40E;          // up: List = records to select
constexpr uint32_t omSelectedRemoved = 0x40F;      // down, re-validates "Selected" users
constexpr uint32_t omUndoSelection = 0x410;        // up
constexpr uint32_t omDeleteGroup = 0x411;          // up: List = records to delete
constexpr uint32_t omUndoDeletion = 0x412;         // up
constexpr uint32_t omRestore = 0x413;              // up
constexpr uint32_t omUndoAllDeletions = 0x414;     // up
constexpr uint32_t omReloadView = 0x415;           // to the project: Text = ID
constexpr uint32_t omDeletedAdded = 0x416;         // down, re-validates "Deleted" users
constexpr uint32_t omDeletedRemoved = 0x417;       // down, re-validates "Deleted" users
constexpr uint32_t omCheckViews = 0x418;           // down
constexpr uint32_t omUncheckViews = 0x419;         // down
constexpr uint32_t omModifiedSilent = 0x41A;       // up: project modified without notification
constexpr uint32_t omHitMarkRequest = 0x41B;       // up: the database sends it down as 0x41C
constexpr uint32_t omMarkRecord = 0x41C;           // down: List = the record to mark
constexpr uint32_t omZIPChanged = 0x41D;           // down
constexpr uint32_t omSyncZoom = 0x41E;             // down: Text = ID of the zooming view
constexpr uint32_t omSyncUnzoom = 0x41F;           // down
constexpr uint32_t omFillPage = 0x420;             // to the project: Text = ID
constexpr uint32_t omRestoreRect = 0x421;          // to the project: Text = ID

} // namespace vorelt
