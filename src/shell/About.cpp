#include "shell/About.h"

#include "platform/Messages.h"
#include "widgets/FontSubstitutes.h"
#include "widgets/GradientBackdrop.h"
#include "widgets/WindowSupport.h"

#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorin {

namespace {

constexpr int kPanelX = 18;
constexpr int kPanelY = 10;
constexpr int kPanelWidth = 407;
constexpr int kPanelHeight = 327;
constexpr int kLineHeight = 16;
// The panel's bevel, which the lines keep clear of.
constexpr int kBevel = 4;
constexpr int kBodyPixels = 12;

const QColor kNavy(0, 0, 128);

QLabel *centredLabel(const QString &text, const char *name, QWidget *parent, int y,
                     int height = kLineHeight)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(kBevel, y, kPanelWidth - 2 * kBevel, height);
    return label;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget *parent)
    : QDialog(parent), m_openUrl([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("How to contact us"));
    // A fixed frame with a close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    QFont body = dialogFont(kBodyPixels);
    body.setBold(true);
    setFont(body);

    auto *backdrop = new GradientBackdrop(this);
    backdrop->setObjectName(QStringLiteral("backdrop"));
    backdrop->setGeometry(0, 0, kClientWidth, kClientHeight);

    pnlAbout = new QFrame(backdrop);
    pnlAbout->setObjectName(QStringLiteral("pnlAbout"));
    pnlAbout->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlAbout->setLineWidth(2);
    pnlAbout->setAutoFillBackground(true);
    QPalette face = pnlAbout->palette();
    face.setColor(QPalette::Window, QColor(192, 192, 192));
    face.setColor(QPalette::WindowText, Qt::black);
    pnlAbout->setPalette(face);
    pnlAbout->setGeometry(kPanelX, kPanelY, kPanelWidth, kPanelHeight);

    ProductName =
        centredLabel(QStringLiteral("Vorin 99  Version 1.3"), "ProductName", pnlAbout, 10, 24);
    QFont title = body;
    title.setPixelSize(18);
    ProductName->setFont(title);

    Label6 = centredLabel(QStringLiteral("Freeware - use and share with others for free"), "Label6",
                          pnlAbout, 38);
    Label4 = centredLabel(QStringLiteral("Compliments of:"), "Label4", pnlAbout, 56);
    setTextColor(*Label6, kNavy);
    setTextColor(*Label4, kNavy);

    lblMaker = centredLabel(QStringLiteral("Vorin Software"), "lblMaker", pnlAbout, 78);
    lblStreet = centredLabel(QStringLiteral("14 Harbour Lane"), "lblStreet", pnlAbout, 94);
    lblTown =
        centredLabel(QStringLiteral("Kingsbridge TQ7 1AB, England"), "lblTown", pnlAbout, 110);

    pnlProducts = new QFrame(pnlAbout);
    pnlProducts->setObjectName(QStringLiteral("pnlProducts"));
    pnlProducts->setFrameStyle(QFrame::Box | QFrame::Plain);
    pnlProducts->setGeometry(78, 136, kPanelWidth - 2 * 78, 4 * kLineHeight + 14);
    auto *products = new QVBoxLayout(pnlProducts);
    products->setContentsMargins(6, 6, 6, 6);
    products->setSpacing(0);
    QFont plain = body;
    plain.setBold(false);
    for (const char *product :
         {"Vorin Disk Tidy 98", "Vorin Backup Mate", "Vorin Font Finder", "Vorin Clock Sync"}) {
        auto *line = new QLabel(QString::fromLatin1(product), pnlProducts);
        line->setAlignment(Qt::AlignCenter);
        line->setFont(plain);
        products->addWidget(line);
    }

    lblVisit = centredLabel(QStringLiteral("Visit our web site for the latest version!"),
                            "lblVisit", pnlAbout, 224);
    setTextColor(*lblVisit, Qt::red);
    lblVoice = centredLabel(QStringLiteral("Voice: +44 1548 555 0199"), "lblVoice", pnlAbout, 250);
    lblFax = centredLabel(QStringLiteral("Fax: +44 1548 555 0198"), "lblFax", pnlAbout, 266);

    Label5 = new QLabel(QString::fromLatin1(kHomePage), pnlAbout);
    Label5->setObjectName(QStringLiteral("Label5"));
    QFont link = body;
    link.setUnderline(true);
    Label5->setFont(link);
    setTextColor(*Label5, Qt::blue);
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->adjustSize();
    Label5->move((kPanelWidth - Label5->width()) / 2, 294);
    Label5->installEventFilter(this);

    OKButton = new QPushButton(QStringLiteral("OK"), backdrop);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(70, 346, 90, 28);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    btWeb = new QPushButton(QStringLiteral("Vorin Software Home Page"), backdrop);
    btWeb->setObjectName(QStringLiteral("btWeb"));
    btWeb->setGeometry(172, 346, 200, 28);
    btWeb->setToolTip(QStringLiteral("Launches your web browser to visit our home page"));
    // Enter presses "OK" wherever the focus is.
    btWeb->setAutoDefault(false);
    connect(btWeb, &QPushButton::clicked, this, [this] {
        btWebClick();
        accept();
    });

    OKButton->setFocus();
    centreOnScreen(*this);
    FormCreate();
}

void TfrmAbout::FormCreate()
{
    Label6->hide();
    Label4->hide();
}

void TfrmAbout::btWebClick()
{
    if (!m_openUrl || !m_openUrl(QUrl(QString::fromLatin1(kHomePage))))
        showError("Couldn't open web browser for home page.");
}

void TfrmAbout::keyPressEvent(QKeyEvent *event)
{
    // Neither button cancels: Escape leaves the box open.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    // The link takes the press so that the release, which opens the page,
    // comes back to it.
    if (watched == Label5 && event->type() == QEvent::MouseButtonPress)
        return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    if (watched == Label5 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            Label5->rect().contains(mouse->position().toPoint())) {
            btWebClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vorin
