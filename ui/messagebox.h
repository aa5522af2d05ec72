#pragma once

#include <functional>
#include <optional>

#include <QMessageBox>
#include <QString>

// Every message box of the tool goes through Show(): the caption is the
// program's name, a box with OK alone shows the warning icon, a Yes/No box the
// question icon, and the box is modal to the active window. Tests install an
// interceptor that answers instead of a person.
class CMessageBox
{
public:
    enum class EButtons
    {
        Ok,
        YesNo
    };

    // What a box would have shown.
    struct SRequest
    {
        QString m_strCaption;
        QString m_strText;
        EButtons m_buttons = EButtons::Ok;
        QMessageBox::Icon m_icon = QMessageBox::Warning;
    };

    // Answers in place of the box: QMessageBox::Ok, Yes or No.
    using Interceptor = std::function<QMessageBox::StandardButton(const SRequest &request)>;

    // Shows the box and returns the button pressed. icon overrides the one
    // that goes with the buttons.
    static QMessageBox::StandardButton Show(const QString &text, EButtons buttons = EButtons::Ok,
                                            std::optional<QMessageBox::Icon> icon = {});
    // An empty interceptor brings the real boxes back.
    static void SetInterceptor(Interceptor interceptor);
    // The executable's file name without extension.
    static QString Caption();

private:
    static Interceptor &CurrentInterceptor();
};
