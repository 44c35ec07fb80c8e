#pragma once

#include "platform/Messages.h"

#include <QMessageBox>

class QWidget;

namespace vorin {

// The program's message boxes as Qt shows them: modal boxes over the active
// window, each waiting for the user. Installed once by program entry; tests
// install a RecordingMessages instead so that nothing ever waits.
class QtMessages final : public Messages
{
public:
    void showError(std::string_view message) override;
    void showSilentError(std::string_view message) override;
    void showInfo(std::string_view message) override;
    [[nodiscard]] Answer confirm(std::string_view message) override;

    // The box each call shows, unshown, for a look at its texts and buttons.
    [[nodiscard]] static QMessageBox *makeErrorBox(const QString &text, QWidget *parent);
    [[nodiscard]] static QMessageBox *makeInfoBox(const QString &text, QWidget *parent);
    [[nodiscard]] static QMessageBox *makeConfirmBox(const QString &text, QWidget *parent);
    [[nodiscard]] static Answer answerOf(QMessageBox::StandardButton button);
};

} // namespace vorin
