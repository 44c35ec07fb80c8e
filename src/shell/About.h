#pragma once

#include <functional>
#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;
class QFrame;

namespace vorin {

// The maker's home page: on the main window's bottom banner and behind the
// about box's link and button.
inline constexpr char kHomePage[] = "https://www.vorin-software.example/";

// Opens an address in the desktop's web browser; false when that failed.
using UrlOpener = std::function<bool(const QUrl &)>;

// The about box: names the program and its version, tells how to reach its
// maker and opens the maker's home page in the user's web browser. Shown
// modally by the main window and freed when closed. Escape does not close it
// (it has no cancel button); Enter presses "OK"; the close box closes it.
class TfrmAbout : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kClientWidth = 443;
    static constexpr int kClientHeight = 383;

    explicit TfrmAbout(QWidget *parent = nullptr);

    // Replaces the desktop's URL opener, for tests that make it fail.
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

    // Opens the home page; tells the user when no browser could be started.
    void btWebClick();

    QFrame *pnlAbout = nullptr;
    QLabel *ProductName = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *lblMaker = nullptr;
    QLabel *lblStreet = nullptr;
    QLabel *lblTown = nullptr;
    QFrame *pnlProducts = nullptr;
    QLabel *lblVisit = nullptr;
    QLabel *lblVoice = nullptr;
    QLabel *lblFax = nullptr;
    QLabel *Label5 = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *btWeb = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();

    UrlOpener m_openUrl;
};

} // namespace vorin
