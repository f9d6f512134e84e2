#pragma once
// What the edits of the settings dialogs let the user type, judged per keystroke: the text
// as it is, the caret position and the typed character. Control characters (backspace and the
// like) always pass; the edits check what reaches them, not what is pasted.

#include <string_view>

namespace vorelt {

enum class TKeyRule {
    Any,
    Digits,        // digits only
    Integer,       // digits; a minus sign only into an empty edit
    Float,         // digits; one comma, not first; a minus sign only into an empty edit
    NoSpace,       // anything but the space character
    ChannelNumber, // digits and one "-" that does not come first
};

bool AcceptsKey(TKeyRule rule, std::string_view text, int caret, char ch);

} // namespace vorelt
