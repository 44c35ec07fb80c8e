#include "platform/fake/RecordingMessages.h"
#include "shell/About.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using vorin::RecordingMessages;
using vorin::TfrmAbout;

namespace {

// An about box whose browser opens nothing: it records the addresses it was
// given and answers as the test chose.
struct Fixture
{
    RecordingMessages messages;
    TfrmAbout about;
    QList<QUrl> opened;
    bool browserStarts = true;

    Fixture()
    {
        about.setUrlOpener([this](const QUrl &url) {
            opened << url;
            return browserStarts;
        });
    }

    void show()
    {
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        about.activateWindow();
    }
};

QString labelText(const QWidget &parent, const char *name)
{
    const auto *label = parent.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void namesTheProgramAndItsMaker()
    {
        Fixture f;
        QCOMPARE(f.about.windowTitle(), QStringLiteral("How to contact us"));
        QCOMPARE(f.about.size(), QSize(443, 383));
        QCOMPARE(labelText(f.about, "ProductName"), QStringLiteral("Vorin 99  Version 1.3"));
        QCOMPARE(labelText(f.about, "Label6"),
                 QStringLiteral("Freeware - use and share with others for free"));
        QCOMPARE(labelText(f.about, "Label4"), QStringLiteral("Compliments of:"));
        QCOMPARE(labelText(f.about, "lblMaker"), QStringLiteral("Vorin Software"));
        QCOMPARE(labelText(f.about, "lblStreet"), QStringLiteral("14 Harbour Lane"));
        QCOMPARE(labelText(f.about, "lblTown"), QStringLiteral("Kingsbridge TQ7 1AB, England"));
        QCOMPARE(labelText(f.about, "lblVoice"), QStringLiteral("Voice: +44 1548 555 0199"));
        QCOMPARE(labelText(f.about, "lblFax"), QStringLiteral("Fax: +44 1548 555 0198"));
        QCOMPARE(labelText(f.about, "Label5"),
                 QStringLiteral("https://www.vorin-software.example/"));
        QCOMPARE(f.about.lblVisit->palette().color(QPalette::WindowText), QColor(Qt::red));
        QCOMPARE(f.about.Label5->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QVERIFY(f.about.Label5->font().underline());
        QCOMPARE(f.about.Label5->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(f.about.ProductName->font().bold());

        QStringList products;
        for (const QLabel *line : f.about.pnlProducts->findChildren<QLabel *>())
            products << line->text();
        QCOMPARE(
            products,
            (QStringList{QStringLiteral("Vorin Disk Tidy 98"), QStringLiteral("Vorin Backup Mate"),
                         QStringLiteral("Vorin Font Finder"), QStringLiteral("Vorin Clock Sync")}));

        QCOMPARE(f.about.OKButton->text(), QStringLiteral("OK"));
        QVERIFY(f.about.OKButton->isDefault());
        QCOMPARE(f.about.btWeb->text(), QStringLiteral("Vorin Software Home Page"));
        QVERIFY(f.about.btWeb->toolTip().contains(QStringLiteral("browser")));
    }

    void everyTextFitsItsPlace()
    {
        Fixture f;
        f.show();
        const QRect panel = f.about.pnlAbout->contentsRect();
        for (const QLabel *label : f.about.pnlAbout->findChildren<QLabel *>()) {
            const QRect text = label->fontMetrics().boundingRect(label->text());
            QVERIFY2(text.width() <= label->contentsRect().width(), qPrintable(label->text()));
            const QRect inPanel(label->mapTo(f.about.pnlAbout, QPoint(0, 0)), label->size());
            QVERIFY2(panel.contains(inPanel), qPrintable(label->text()));
        }
    }

    void freewareLinesAreNeverShown()
    {
        Fixture f;
        f.show();
        QVERIFY(!f.about.Label6->isVisible());
        QVERIFY(!f.about.Label4->isVisible());
        QVERIFY(f.about.ProductName->isVisible());
        QVERIFY(f.about.Label5->isVisible());
    }

    void enterPressesOk()
    {
        Fixture f;
        f.show();
        QTest::keyClick(&f.about, Qt::Key_Return);
        QVERIFY(!f.about.isVisible());
        QCOMPARE(f.about.result(), int(QDialog::Accepted));
        QVERIFY(f.opened.isEmpty());
    }

    void enterPressesOkAlsoWithTheFocusOnTheWebButton()
    {
        Fixture f;
        f.show();
        f.about.btWeb->setFocus();
        QTest::keyClick(f.about.btWeb, Qt::Key_Return);
        QVERIFY(!f.about.isVisible());
        QCOMPARE(f.about.result(), int(QDialog::Accepted));
        QVERIFY(f.opened.isEmpty());
    }

    void escapeDoesNothing()
    {
        Fixture f;
        f.show();
        QTest::keyClick(&f.about, Qt::Key_Escape);
        QVERIFY(f.about.isVisible());
        QTest::keyClick(f.about.OKButton, Qt::Key_Escape);
        QVERIFY(f.about.isVisible());
        QVERIFY(f.messages.shown().empty());
    }

    void closeBoxCloses()
    {
        Fixture f;
        f.show();
        f.about.setResult(-1);
        QVERIFY(f.about.close());
        QVERIFY(!f.about.isVisible());
        QCOMPARE(f.about.result(), int(QDialog::Rejected));
    }

    void webButtonOpensTheHomePageAndClosesWithOk()
    {
        Fixture f;
        f.show();
        QTest::mouseClick(f.about.btWeb, Qt::LeftButton);
        QCOMPARE(f.opened,
                 QList<QUrl>{QUrl(QStringLiteral("https://www.vorin-software.example/"))});
        QVERIFY(f.messages.shown().empty());
        QVERIFY(!f.about.isVisible());
        QCOMPARE(f.about.result(), int(QDialog::Accepted));
    }

    void webButtonWithoutABrowserSaysSoAndStillCloses()
    {
        Fixture f;
        f.browserStarts = false;
        f.show();
        QTest::mouseClick(f.about.btWeb, Qt::LeftButton);
        QCOMPARE(f.opened.size(), 1);
        QCOMPARE(f.messages.shown().size(), std::size_t(1));
        QCOMPARE(f.messages.shown().front().kind, RecordingMessages::Shown::Error);
        QCOMPARE(f.messages.shown().front().text,
                 std::string("Couldn't open web browser for home page."));
        QVERIFY(!f.about.isVisible());
        QCOMPARE(f.about.result(), int(QDialog::Accepted));
    }

    void addressLinkOpensTheHomePageAndLeavesTheBoxOpen()
    {
        Fixture f;
        f.show();
        QTest::mouseClick(f.about.Label5, Qt::LeftButton, {}, f.about.Label5->rect().center());
        QCOMPARE(f.opened,
                 QList<QUrl>{QUrl(QStringLiteral("https://www.vorin-software.example/"))});
        QVERIFY(f.about.isVisible());
        QVERIFY(f.messages.shown().empty());
    }

    void addressLinkWithoutABrowserSaysSo()
    {
        Fixture f;
        f.browserStarts = false;
        f.show();
        QTest::mouseClick(f.about.Label5, Qt::LeftButton, {}, f.about.Label5->rect().center());
        QCOMPARE(f.messages.shown().size(), std::size_t(1));
        QCOMPARE(f.messages.shown().front().text,
                 std::string("Couldn't open web browser for home page."));
        QVERIFY(f.about.isVisible());
    }

    void otherLabelsOpenNothing()
    {
        Fixture f;
        f.show();
        QTest::mouseClick(f.about.ProductName, Qt::LeftButton);
        QTest::mouseClick(f.about.lblMaker, Qt::LeftButton);
        QVERIFY(f.opened.isEmpty());
        QVERIFY(f.about.isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_About.moc"
