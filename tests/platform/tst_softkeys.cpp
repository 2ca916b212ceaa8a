// SPDX-License-Identifier: GPL-2.0-or-later
// The desktop keys of the phone's windows, message boxes and pickers; how the windows meet the
// window manager (fixed size, icon, close button); the focus frame and the Tab order.
#include "focusframe.h"
#include "utilcst.h"
#include "zapplication.h"
#include "zmainwidget.h"
#include "zmessagebox.h"
#include "zmultilineedit.h"
#include "zpickers.h"
#include "zpushbutton.h"
#include "zscrollview.h"

#include "modal.h"
#include "phonetree.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>
#include <memory>

namespace {

// A phone window with the three soft keys of a UTIL_CST bar and some fields.
struct KeyWindow
{
    KeyWindow() : window(QStringLiteral("keys"), false)
    {
        cst = new UTIL_CST(&window, QStringLiteral("Mid"));
        window.setCSTWidget(cst);
        QWidget *view = window.getContentWidget(true)->viewport();
        edit = new ZMultiLineEdit(view, "edit");
        edit->move(2, 2);
        button = new ZPushButton(QStringLiteral("InSet_Picker_Folder"), view, 0);
        button->setObjectName(QStringLiteral("button"));
        button->move(193, 4);
        notes = new QTextEdit(view);
        notes->setGeometry(2, 40, 200, 60);
        notes->setTabChangesFocus(true);
        left = std::make_unique<QSignalSpy>(cst->getLeftBtn(), &QPushButton::clicked);
        mid = std::make_unique<QSignalSpy>(cst->getMidBtn(), &QPushButton::clicked);
        right = std::make_unique<QSignalSpy>(cst->getRightBtn(), &QPushButton::clicked);
        window.show();
        window.activateWindow();
    }
    int pressed(SoftKey key) const
    {
        switch (key) {
        case SoftKey::Left: return left->size();
        case SoftKey::Middle: return mid->size();
        case SoftKey::Right: return right->size();
        case SoftKey::None: break;
        }
        return left->size() + mid->size() + right->size();
    }

    ZMainWidget window;
    UTIL_CST *cst;
    ZMultiLineEdit *edit;
    ZPushButton *button;
    QTextEdit *notes;
    std::unique_ptr<QSignalSpy> left, mid, right;
};

}  // namespace

Q_DECLARE_METATYPE(SoftKey)

class TestSoftKeys : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void desktopKeysPressSoftKeys_data();
    void desktopKeysPressSoftKeys();
    void heldKeyNeverAnswersTheBoxItOpened();
    void messageBoxSoftKeys_data();
    void messageBoxSoftKeys();
    void pickerReturnOpensAFolderAndChoosesNothing();
    void tabGoesThroughTheFieldsWithAFrame();
    void topLevelWindowsHaveAFixedSizeAndNoMaximise();
    void windowManagerCloseIsTheRightSoftKey();
    void programsHaveTheirOwnIcons();
};

void TestSoftKeys::cleanup()
{
    QCOMPARE(modalTimeouts(), 0);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal())
            QFAIL("a modal window was left open");
}

void TestSoftKeys::desktopKeysPressSoftKeys_data()
{
    QTest::addColumn<QString>("focus");  // "" the window itself, "edit", "notes"
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<SoftKey>("expected");
    const int none = Qt::NoModifier;
    QTest::newRow("F1_left") << "" << int(Qt::Key_F1) << none << SoftKey::Left;
    QTest::newRow("Menu_left") << "edit" << int(Qt::Key_Menu) << none << SoftKey::Left;
    QTest::newRow("F2_middle") << "" << int(Qt::Key_F2) << none << SoftKey::Middle;
    QTest::newRow("Return_middle") << "" << int(Qt::Key_Return) << none << SoftKey::Middle;
    QTest::newRow("keypad_Enter_middle")
        << "" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << SoftKey::Middle;
    // A one-line field has no use for Return: it goes on to the window.
    QTest::newRow("Return_from_line_field") << "edit" << int(Qt::Key_Return) << none << SoftKey::Middle;
    QTest::newRow("F3_right") << "" << int(Qt::Key_F3) << none << SoftKey::Right;
    QTest::newRow("Escape_right") << "edit" << int(Qt::Key_Escape) << none << SoftKey::Right;
    // Fields that use a key keep it.
    QTest::newRow("Return_in_text_area_is_a_new_line")
        << "notes" << int(Qt::Key_Return) << none << SoftKey::None;
    QTest::newRow("Ctrl_F1_is_no_soft_key")
        << "" << int(Qt::Key_F1) << int(Qt::ControlModifier) << SoftKey::None;
    QTest::newRow("F2_in_text_area_still_middle") << "notes" << int(Qt::Key_F2) << none << SoftKey::Middle;
}

void TestSoftKeys::desktopKeysPressSoftKeys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(SoftKey, expected);
    KeyWindow w;
    QWidget *target = &w.window;
    if (focus == QLatin1String("edit"))
        target = w.edit;
    else if (focus == QLatin1String("notes"))
        target = w.notes;
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w.pressed(SoftKey::None), expected == SoftKey::None ? 0 : 1);
    if (expected != SoftKey::None)
        QCOMPARE(w.pressed(expected), 1);
    if (focus == QLatin1String("notes") && key == Qt::Key_Return)
        QCOMPARE(w.notes->toPlainText(), QStringLiteral("\n"));

    // A repeating key acts only on its first press.
    QKeyEvent repeat(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), QString(), true);
    QApplication::sendEvent(target, &repeat);
    QCOMPARE(w.pressed(SoftKey::None), expected == SoftKey::None ? 0 : 1);
}

void TestSoftKeys::heldKeyNeverAnswersTheBoxItOpened()
{
    KeyWindow w;
    int answer = -2;
    QObject::connect(w.cst->getMidBtn(), &QPushButton::clicked, [&] {
        answer = ZMessageBox::information(&w.window, QPixmap(), QStringLiteral("Extract?"),
                                          QStringLiteral("Yes"), QStringLiteral("No"));
    });
    bool stillOpen = false;
    whenModal([&stillOpen](QWidget *box) {
        // Return is still held: its repeats reach the box, whose Yes has the focus.
        QTest::qWaitFor([box] { return box->focusWidget() != nullptr; }, 2000);
        for (int i = 0; i < 3; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(box->focusWidget() ? box->focusWidget() : box, &repeat);
        }
        stillOpen = box->isVisible();
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Escape);
    });
    QTest::keyClick(&w.window, Qt::Key_Return);
    QVERIFY(stillOpen);
    QCOMPARE(answer, 1);  // Escape is the right key, "No"
    QCOMPARE(w.pressed(SoftKey::Middle), 1);
}

void TestSoftKeys::messageBoxSoftKeys_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");  // -2: the key leaves the box open
    QTest::newRow("one_Return") << 1 << int(Qt::Key_Return) << 0;
    QTest::newRow("one_F2") << 1 << int(Qt::Key_F2) << 0;
    QTest::newRow("one_Escape_closes_without_choice") << 1 << int(Qt::Key_Escape) << -1;
    QTest::newRow("one_F1_nothing") << 1 << int(Qt::Key_F1) << -2;
    QTest::newRow("two_F1") << 2 << int(Qt::Key_F1) << 0;
    QTest::newRow("two_F2_highlighted") << 2 << int(Qt::Key_F2) << 0;
    QTest::newRow("two_Return") << 2 << int(Qt::Key_Return) << 0;
    QTest::newRow("two_F3") << 2 << int(Qt::Key_F3) << 1;
    QTest::newRow("two_Escape") << 2 << int(Qt::Key_Escape) << 1;
    QTest::newRow("three_F1") << 3 << int(Qt::Key_F1) << 0;
    QTest::newRow("three_F2") << 3 << int(Qt::Key_F2) << 1;
    QTest::newRow("three_Menu") << 3 << int(Qt::Key_Menu) << 0;
    QTest::newRow("three_F3") << 3 << int(Qt::Key_F3) << 2;
}

void TestSoftKeys::messageBoxSoftKeys()
{
    QFETCH(int, buttons);
    QFETCH(int, key);
    QFETCH(int, expected);
    ZMainWidget window(QStringLiteral("w"), false);
    window.show();
    const QString captions[3] = {QString::fromUtf8("是"), QString::fromUtf8("否"), QStringLiteral("Later")};
    bool leftOpen = false;
    whenModal([key, &leftOpen](QWidget *box) {
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key(key));
        if (box->isVisible()) {
            leftOpen = true;
            static_cast<QDialog *>(box)->done(-3);
        }
    });
    const int result = ZMessageBox::information(&window, QPixmap(), QStringLiteral("?"), captions[0],
                                                buttons > 1 ? captions[1] : QString(),
                                                buttons > 2 ? captions[2] : QString());
    QCOMPARE(leftOpen ? -2 : result, expected);
}

void TestSoftKeys::pickerReturnOpensAFolderAndChoosesNothing()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("sub/inner");
    ZSelectFolderDlg picker(dir.path());
    QString browsedTo;
    whenModal([&browsedTo](QWidget *w) {
        auto *dlg = static_cast<ZSelectFolderDlg *>(w);
        dlg->list()->setFocus();
        dlg->list()->setCurrentRow(1);  // "sub"
        QTest::keyClick(dlg->list(), Qt::Key_Return);
        QTest::keyClick(dlg->list(), Qt::Key_Down);  // "..", then "inner"
        QTest::keyClick(dlg->list(), Qt::Key_Down);
        QTest::keyClick(dlg->list(), Qt::Key_F2);
        browsedTo = dlg->directory();
        QTest::keyClick(dlg->list(), Qt::Key_F1);  // OK: the folder being browsed
    });
    QCOMPARE(picker.exec(), int(QDialog::Accepted));
    QCOMPARE(browsedTo, dir.filePath("sub/inner"));
    QCOMPARE(picker.getSelected(), dir.filePath("sub/inner"));

    ZOpenDlg files({"*.*"}, dir.path(), false);
    whenModal([](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); });
    QCOMPARE(files.exec(), int(QDialog::Rejected));
    QCOMPARE(files.getFile(), QString(""));
}

void TestSoftKeys::tabGoesThroughTheFieldsWithAFrame()
{
    KeyWindow w;
    auto *second = new ZMultiLineEdit(w.window.getContentWidget(false)->viewport(), "second");
    second->move(2, 110);
    second->show();
    QTRY_VERIFY(w.window.isActiveWindow());
    w.edit->setFocus(Qt::TabFocusReason);
    QCOMPARE(FocusFrame::framed(), w.edit);
    QWidget *frame = w.edit->findChild<QWidget *>("focusFrame");
    QVERIFY(frame && frame->isVisible());
    QCOMPARE(frame->geometry(), w.edit->rect());

    // Fields and the picker button in turn, never a soft key or the view that holds them.
    const QList<QWidget *> order = {w.button, w.notes, second, w.edit};
    for (QWidget *expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), expected);
        QCOMPARE(FocusFrame::framed(), expected);
    }

    // Return on the focused picker button presses that button, not the middle soft key.
    QSignalSpy buttonClicked(w.button, &QPushButton::clicked);
    w.button->setFocus();
    QTest::keyClick(w.button, Qt::Key_Return);
    QCOMPARE(buttonClicked.size(), 1);
    QCOMPARE(w.pressed(SoftKey::Middle), 0);
}

void TestSoftKeys::topLevelWindowsHaveAFixedSizeAndNoMaximise()
{
    ZMainWidget top(QStringLiteral("top"), false);
    ZMainWidget second(QStringLiteral("second"), false, &top, "second", 1);
    ZMainWidget embedded(false, &top, "embedded");
    for (ZMainWidget *w : {&top, &second}) {
        QVERIFY(w->isWindow());
        QCOMPARE(w->minimumSize(), QSize(240, 320));
        QCOMPARE(w->maximumSize(), QSize(240, 320));
        QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    }
    QVERIFY(!embedded.isWindow());
    QCOMPARE(embedded.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

void TestSoftKeys::windowManagerCloseIsTheRightSoftKey()
{
    KeyWindow w;
    closeFromWindowManager(&w.window);
    QVERIFY(w.window.isVisible());
    QTRY_COMPARE(w.pressed(SoftKey::Right), 1);
    // Two closes before the first is handled press the key once.
    closeFromWindowManager(&w.window);
    closeFromWindowManager(&w.window);
    QTRY_COMPARE(w.pressed(SoftKey::Right), 2);
    QTest::qWait(20);
    QCOMPARE(w.pressed(SoftKey::Right), 2);

    // A disabled right key refuses the close; the program's own close() always closes.
    w.cst->getRightBtn()->setEnabled(false);
    w.window.requestClose();
    QVERIFY(w.window.isVisible());
    w.window.close();
    QVERIFY(!w.window.isVisible());
    QCOMPARE(w.pressed(SoftKey::None), 2);

    // Without a right key the window manager closes the window.
    ZMainWidget bare(QStringLiteral("bare"), false);
    bare.show();
    QVERIFY(closeFromWindowManager(&bare));
}

void TestSoftKeys::programsHaveTheirOwnIcons()
{
    QList<QImage> drawn;
    for (const char *program : {"kest", "glowra", "procwarden"}) {
        const QIcon icon = ZApplication::programIcon(QString::fromLatin1(program));
        // Null here means the SVG image plugin is missing.
        const QImage image = icon.pixmap(QSize(32, 32)).toImage();
        QVERIFY2(!image.isNull(), program);
        QCOMPARE(image.size(), QSize(32, 32));
        QVERIFY2(qAlpha(image.pixel(16, 16)) > 0 || qAlpha(image.pixel(16, 24)) > 0, program);
        QVERIFY2(!drawn.contains(image), program);
        drawn.append(image);
    }
    QVERIFY(ZApplication::programIcon(QStringLiteral("tst_softkeys")).isNull());
    QVERIFY(ZApplication::programIcon(QStringLiteral("../kest")).isNull());
    QVERIFY(ZApplication::programIcon(QString()).isNull());
}

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    TestSoftKeys test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_softkeys.moc"
