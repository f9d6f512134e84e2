#pragma once
// How the processor base forwards each object message (numbers in model/TAEMessageNumbers.h).

#include "model/TAEMessageNumbers.h"

#include <cstdint>

namespace vorelt {

enum class TMessageRoute : uint8_t {
    None,         // not forwarded by the processor base
    Up,           // unchanged to the parent; the database processor acts on it
    Down,         // to every child, last child first
    DownSelected, // down; a child that declares the "Selected" field is then sent 0x401
    DownDeleted,  // down; a child that declares the "Deleted" field is then sent 0x401
};

constexpr TMessageRoute MessageRoute(uint32_t msg) {
    switch (msg) {
    case omTakeFocus:
    case omModified:
    case omSelectGroup:
    case omUndoSelection:
    case omDeleteGroup:
    case omUndoDeletion:
    case omRestore:
    case omUndoAllDeletions:
    case omModifiedSilent:
    case omHitMarkRequest:
        return TMessageRoute::Up;
    case omDataChanged:
    case omSourceState:
    case omForwardOnly:
    case omCollectMissingFields:
    case omFocusView:
    case omLoseFocus:
    case omDetachViews:
    case omSplitChannels:
    case omColorScheme:
    case omCheckViews:
    case omUncheckViews:
    case omMarkRecord:
    case omZIPChanged:
    case omSyncZoom:
    case omSyncUnzoom:
        return TMessageRoute::Down;
    case omSelectedAdded:
    case omSelectedRemoved:
        return TMessageRoute::DownSelected;
    case omDeletedAdded:
    case omDeletedRemoved:
        return TMessageRoute::DownDeleted;
    default:
        return TMessageRoute::None;
    }
}

} // namespace vorelt
