// SPDX-License-Identifier: GPL-2.0-or-later
// The pickers' titles (the phone's names for folders, shortened to fit) and where they start.
#include "phonepath.h"
#include "zapplication.h"
#include "zpickers.h"

#include "phonetree.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

class TestPickers : public QObject
{
    Q_OBJECT
private slots:
    void phoneNames_data();
    void phoneNames();
    void longTitleKeepsBothSoftKeys_data();
    void longTitleKeepsBothSoftKeys();
    void startFolder_data();
    void startFolder();
    void browsingStaysInThePhoneTree();
};

void TestPickers::phoneNames_data()
{
    QTest::addColumn<bool>("inPhoneTree");  // EZX_ROOT set, else the storage in the data folder
    QTest::addColumn<QString>("below");     // the path below the root given to phoneName
    QTest::addColumn<QString>("expected");
    QTest::newRow("root_card") << true << "/mmc/mmca1/music"
                               << "/mmc/mmca1/music";
    QTest::newRow("root_itself") << true << ""
                                 << "/";
    QTest::newRow("root_trailing_slash") << true << "/ezx_user/"
                                         << "/ezx_user";
    QTest::newRow("root_any_folder") << true << "/tmp/x"
                                     << "/tmp/x";
    QTest::newRow("storage_card") << false << "/mmc/mmca1/a b"
                                  << "/mmc/mmca1/a b";
    QTest::newRow("storage_setup") << false << "/ezx_user/download"
                                   << "/ezx_user/download";
    // Beside the stand-in folders, a path is the machine's own.
    QTest::newRow("storage_other_folder") << false << "/notes"
                                          << "";
}

void TestPickers::phoneNames()
{
    QFETCH(bool, inPhoneTree);
    QFETCH(QString, below);
    QFETCH(QString, expected);
    QTemporaryDir data;
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    std::unique_ptr<PhoneTree> phone;
    QString root;
    if (inPhoneTree) {
        phone = std::make_unique<PhoneTree>();
        root = phone->root();
    } else {
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        root = QFile::decodeName(phoneStorageRoot().c_str());
        QCOMPARE(root, data.path() + "/ezx-phone");
    }
    const QString path = root + below;
    QCOMPARE(ZPickerBase::phoneName(path), expected.isEmpty() ? path : expected);
    // A folder merely named like the root is not in it.
    QCOMPARE(ZPickerBase::phoneName(root + "x/mmc/mmca1"), root + "x/mmc/mmca1");
    qputenv("XDG_DATA_HOME", savedData);
}

void TestPickers::longTitleKeepsBothSoftKeys_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QString>("cancel");
    QTest::newRow("zh-cn") << "zh-cn" << QString::fromUtf8("确定") << QString::fromUtf8("取消");
    QTest::newRow("en-us") << "en-us"
                           << "OK"
                           << "Cancel";
    QTest::newRow("ru") << "ru"
                        << "OK" << QString::fromUtf8("Отмена");
}

void TestPickers::longTitleKeepsBothSoftKeys()
{
    QFETCH(QString, language);
    QFETCH(QString, ok);
    QFETCH(QString, cancel);
    PhoneTree phone;
    phone.write("/ezx_user/download/appwrite/setup/ezx_system.cfg",
                ("[SYS_SYSTEM_SET]\nLanguageType = " + language + "\n").toUtf8());
    const QString deep = QString::fromUtf8("/mmc/mmca1/Музыка и фото 2009/一个很长的文件夹名称/"
                                           "another rather long folder name/last one");
    phone.mkdir(deep);
    ZSelectFolderDlg picker(phone.path(deep));
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));

    QCOMPARE(picker.title(), deep);
    auto *title = picker.findChild<QLabel *>("pickerTitle");
    QVERIFY(title->text().contains(QChar(0x2026)));
    QVERIFY(title->text().startsWith("/mmc/"));
    QVERIFY(title->text().endsWith("last one"));
    QVERIFY(title->fontMetrics().horizontalAdvance(title->text()) <= title->contentsRect().width());
    QCOMPARE(title->toolTip(), deep);

    QCOMPARE(picker.width(), 240);
    auto *okKey = picker.findChild<QPushButton *>("pickerOk");
    auto *cancelKey = picker.findChild<QPushButton *>("pickerCancel");
    QCOMPARE(okKey->text(), ok);
    QCOMPARE(cancelKey->text(), cancel);
    const QRect screen(QPoint(0, 0), QSize(240, 320));
    for (QPushButton *key : {okKey, cancelKey}) {
        QVERIFY(key->isVisible());
        const QRect at(key->mapTo(&picker, QPoint(0, 0)), key->size());
        QVERIFY2(screen.contains(at), qPrintable(key->text()));
        QVERIFY(key->fontMetrics().horizontalAdvance(key->text()) <= key->width());
    }
    QVERIFY(okKey->geometry().right() < cancelKey->geometry().left());

    // A short one is shown whole.
    picker.setDirectory(phone.path("/mmc/mmca1"));
    QCOMPARE(title->text(), QStringLiteral("/mmc/mmca1"));
    picker.hide();
}

void TestPickers::startFolder_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder") << "/mmc/mmca1/music"
                            << "/mmc/mmca1/music";
    QTest::newRow("folder_with_slash") << "/mmc/mmca1/music/"
                                       << "/mmc/mmca1/music";
    QTest::newRow("archive_starts_in_its_folder") << "/mmc/mmca1/music/a.zip"
                                                  << "/mmc/mmca1/music";
    QTest::newRow("gone_folder_nearest_above") << "/mmc/mmca1/music/gone/deeper"
                                               << "/mmc/mmca1/music";
    QTest::newRow("phone_root") << "/"
                                << "/";
}

void TestPickers::startFolder()
{
    QFETCH(QString, start);
    QFETCH(QString, expected);
    PhoneTree phone;
    phone.write("/mmc/mmca1/music/a.zip", "zip");
    const QString given = phone.root() + start;
    ZOpenDlg files({"*.zip"}, given, false);
    QCOMPARE(files.title(), expected);
    QCOMPARE(files.directory(), QDir::cleanPath(phone.root() + expected));
    ZSelectFolderDlg folders(given);
    QCOMPARE(folders.title(), expected);
}

void TestPickers::browsingStaysInThePhoneTree()
{
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    ZSelectFolderDlg picker(phone.path("/mmc"));
    QCOMPARE(picker.list()->item(0)->text(), QStringLiteral(".."));
    picker.setDirectory(phone.path("/mmc/.."));
    QCOMPARE(picker.title(), QStringLiteral("/"));
    // At the phone's top there is no way up, and a path above it leads back to the top.
    for (int row = 0; row < picker.list()->count(); ++row)
        QVERIFY(picker.list()->item(row)->text() != QLatin1String(".."));
    picker.setDirectory(phone.root() + "/..");
    QCOMPARE(picker.directory(), QDir::cleanPath(phone.root()));
}

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    TestPickers test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pickers.moc"
