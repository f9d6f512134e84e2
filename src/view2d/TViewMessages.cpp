#include "view2d/TViewMessages.h"

#include <QMessageBox>

namespace vorelt {

TViewMessageHandler& ViewMessageBox() {
    static TViewMessageHandler handler = [](QWidget* parent, const std::string& text) {
        QMessageBox::information(parent, QString(), QString::fromStdString(text));
    };
    return handler;
}

void ShowViewMessage(QWidget* parent, const std::string& text) {
    if (ViewMessageBox()) ViewMessageBox()(parent, text);
}

} // namespace vorelt
