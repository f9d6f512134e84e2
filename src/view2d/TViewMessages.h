#pragma once
// How the views and their dialogs show a message box. Tests replace the handler to see the
// text instead of a modal box.

#include <functional>
#include <string>

class QWidget;

namespace vorelt {

using TViewMessageHandler = std::function<void(QWidget* parent, const std::string& text)>;

// The current handler; the default is an information box.
TViewMessageHandler& ViewMessageBox();
void ShowViewMessage(QWidget* parent, const std::string& text);

} // namespace vorelt
