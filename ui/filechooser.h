#pragma once

#include <functional>
#include <optional>

#include <QString>

class QWidget;

// The open-file chooser: every file is offered, and the choice comes back as
// the folder and the file's name. Tests install an interceptor that chooses
// in place of a person.
class CFileChooser
{
public:
    struct SChoice
    {
        QString m_strFolder;
        QString m_strFileName;
    };

    // Answers in place of the chooser; nothing means the user cancelled.
    using Interceptor = std::function<std::optional<SChoice>()>;

    // Nothing when the user cancelled.
    static std::optional<SChoice> Choose(QWidget *parent);
    // An empty interceptor brings the real chooser back.
    static void SetInterceptor(Interceptor interceptor);

private:
    static Interceptor &CurrentInterceptor();
};
