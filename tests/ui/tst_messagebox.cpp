#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "messagebox.h"
#include "messageboxrecorder.h"
#include "uitestmain.h"

// The one way the tool shows a message box, and the way tests answer it.
class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void iconFollowsTheButtons_data();
    void iconFollowsTheButtons();
    void realBoxIsModalWithTheProgramsNameAsCaption_data();
    void realBoxIsModalWithTheProgramsNameAsCaption();
};

void TestMessageBox::iconFollowsTheButtons_data()
{
    QTest::addColumn<CMessageBox::EButtons>("buttons");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("answer");
    QTest::newRow("OK: warning") << CMessageBox::EButtons::Ok << int(QMessageBox::Warning)
                                 << int(QMessageBox::Ok);
    QTest::newRow("Yes/No: question")
        << CMessageBox::EButtons::YesNo << int(QMessageBox::Question) << int(QMessageBox::No);
}

void TestMessageBox::iconFollowsTheButtons()
{
    QFETCH(CMessageBox::EButtons, buttons);
    QFETCH(int, icon);
    QFETCH(int, answer);
    CMessageBoxRecorder recorder(static_cast<QMessageBox::StandardButton>(answer));
    QCOMPARE(int(CMessageBox::Show(QStringLiteral("text"), buttons)), answer);
    QCOMPARE(recorder.Requests().size(), 1);
    QCOMPARE(recorder.Requests().first().m_strCaption, QStringLiteral("tst_messagebox"));
    QCOMPARE(recorder.Requests().first().m_strText, QStringLiteral("text"));
    QCOMPARE(int(recorder.Requests().first().m_icon), icon);

    // A caller may name another icon.
    CMessageBox::Show(QStringLiteral("info"), buttons, QMessageBox::Information);
    QCOMPARE(recorder.Requests().last().m_icon, QMessageBox::Information);
}

void TestMessageBox::realBoxIsModalWithTheProgramsNameAsCaption_data()
{
    QTest::addColumn<CMessageBox::EButtons>("buttons");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("standardButtons");
    QTest::newRow("OK") << CMessageBox::EButtons::Ok << int(QMessageBox::Warning)
                        << int(QMessageBox::Ok);
    QTest::newRow("Yes/No") << CMessageBox::EButtons::YesNo << int(QMessageBox::Question)
                            << int(QMessageBox::Yes | QMessageBox::No);
}

void TestMessageBox::realBoxIsModalWithTheProgramsNameAsCaption()
{
    QFETCH(CMessageBox::EButtons, buttons);
    QFETCH(int, icon);
    QFETCH(int, standardButtons);
    QString caption;
    QString text;
    int shownIcon = -1;
    int shownButtons = -1;
    Qt::WindowModality modality = Qt::NonModal;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        caption = box->windowTitle();
        text = box->text();
        shownIcon = box->icon();
        shownButtons = int(box->standardButtons());
        modality = box->windowModality();
        box->button(box->standardButtons() & QMessageBox::Ok ? QMessageBox::Ok : QMessageBox::Yes)
            ->click();
    });
    const QMessageBox::StandardButton answer =
        CMessageBox::Show(QStringLiteral("<b>not markup</b>"), buttons);
    QCOMPARE(caption, QStringLiteral("tst_messagebox"));
    QCOMPARE(text, QStringLiteral("<b>not markup</b>"));
    QCOMPARE(shownIcon, icon);
    QCOMPARE(shownButtons, standardButtons);
    QCOMPARE(modality, Qt::ApplicationModal);
    QVERIFY(answer == QMessageBox::Ok || answer == QMessageBox::Yes);
}

KESTAVON_UI_TEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
