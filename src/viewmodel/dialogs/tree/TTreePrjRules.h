#pragma once
// The rules of the project tree window that need no window: which processors may be inserted
// where and with which refusal text, the names new processors and copies get, which drops the
// tree accepts, the status text of a node and which buttons and menu items are enabled.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class IIDGenerator;
class TGVCPU;
struct TProcessorKind;

inline constexpr char txtNotHaveChildsProcessor[] = "Not Have Childs Processor";
inline constexpr char txtDuplicateProcessor[] = "Duplicate Processor";
inline constexpr char txtInvalidAfterLocation[] = "Invalid Processor After Location Processor";
inline constexpr char txtProcessorNotComplete[] = "Processor Not Complete Description";
inline constexpr char txtProcessorUnvisible[] = "Processor Not Visible";
inline constexpr char txtNotFound[] = "Not Found";

// One entry of the "Insert Processor" menu.
struct TInsertEntry {
    const TProcessorKind* Kind;
    const char* ActionName;
};
// The entries in menu order; each is captioned "Add" + " " + the kind name.
const std::vector<TInsertEntry>& InsertEntries();

// Why `candidate` (not yet in any tree) may not go below `selected`; empty when it may. The
// checks run in this order: a final `selected`, a second one-per-path processor on the path, a
// second one-per-tree processor, a processor that needs a location processor above it.
std::string InsertRefusal(const TGVCPU& selected, const TGVCPU& candidate);

// The name for `processor` in the tree of `root`: the kind's code and one more than the
// running value over every processor of the same class in the tree (the largest trailing
// number, and one more for each name without a number), with two digits at least.
std::string NewProcessorName(const TGVCPU& root, const TGVCPU& processor);

// Renames a copy and its subtree (each counted with itself) and gives them new IDs.
void RenameCopies(TGVCPU& copy, const TGVCPU& root, IIDGenerator& generator);
// Copies `source` with its subtree below `target` (CopyTo), lets every copied processor start
// from the name of its original, so that a copy of FR01 becomes FR02 when no higher number
// exists, and renames and renews the copies. None when the copy was refused or cancelled.
TGVCPU* CopyInTree(TGVCPU& source, TGVCPU& target, const TGVCPU& root, IIDGenerator& generator);

// Whether a node dragged onto another is accepted (moved or copied).
bool CanDropInTree(const TGVCPU* dragged, const TGVCPU* target);
// Whether "Copy" is offered for the dropped processor.
bool CanCopyInTree(const TGVCPU& dragged);

// The status line of a node for its CheckReady code: a blank for -1.
std::string ReadyStatusText(int32_t code);

struct TTreeButtons {
    bool Insert = false;
    bool Delete = false;
};
TTreeButtons TreeButtons(bool toolbarEnabled, const TGVCPU* selected);

struct TPageButtons {
    bool Up = false;
    bool Down = false;
    bool Add = true;
    bool Edit = false;
    bool Delete = false;
};
// `selected` is -1 without a selected page.
TPageButtons PageButtons(int selected, int count);

struct TTreeMenuItems {
    bool ShowID = false;
    bool ClearData = false;
    bool FoundScreenPosition = false;
    bool GoToProcessor = false;
};
TTreeMenuItems TreeMenuItems(const TGVCPU* selected);

// Among siblings, processors that feed children come before final processors; the order
// within each group stays.
void SortSiblings(std::vector<TGVCPU*>& children);

// --- Names of new processors ----------------------------------------------------------------

// True when the text holds a digit and everything from its first digit to its end is a digit;
// `value` receives that number ("FR01" gives 1). False when the digits do not fit 64 bits.
bool TrailingNumber(std::string_view text, int64_t& value);
// The smallest number from 1 to 128 not in the list; -1 when all are used.
int32_t SmallestFreeNumber(const std::vector<int32_t>& used);

} // namespace vorelt
