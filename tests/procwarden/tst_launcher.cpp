// SPDX-License-Identifier: GPL-2.0-or-later
#include "appmenu.h"
#include "launcher.h"
#include "mainwindow.h"
#include "popupmenu.h"
#include "zapplication.h"

#include "phonetree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The launcher file's grammar, the menu the window builds from it, and running an entry.
class TestLauncher : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void grammar_data();
    void grammar();
    void windowMenuFollowsFile();
    void fileFromWorkingFolderElseBesideProgram_data();
    void fileFromWorkingFolderElseBesideProgram();
    void programFindsTheFileShippedBesideIt();
    void entryRunsItsCommandThroughTheShell();

private:
    void writeAppList(const QByteArray &content);
    QTemporaryDir workDir;
};

namespace {

// "Title[label=command,...]|Title[...]"
QString describe(const QList<LauncherGroup> &groups)
{
    QStringList parts;
    for (const LauncherGroup &group : groups) {
        QStringList entries;
        for (const LauncherEntry &entry : group.entries)
            entries << entry.label + QLatin1Char('=') + entry.command;
        parts << group.title + QLatin1Char('[') + entries.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    return parts.join(QLatin1Char('|'));
}

}  // namespace

void TestLauncher::init()
{
    QDir::setCurrent(workDir.path());
    QFile::remove(QStringLiteral("applist.txt"));
}

void TestLauncher::writeAppList(const QByteArray &content)
{
    QFile file(QStringLiteral("applist.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

void TestLauncher::grammar_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("groups");
    QTest::newRow("two_groups") << "-Tools\nFiles:files\nNotes:notes\n-Games\nChess:chess\n"
                                << "Tools[Files=files,Notes=notes]|Games[Chess=chess]";
    QTest::newRow("no_final_line_feed") << "-Tools\nFiles:files"
                                        << "Tools[Files=files]";
    QTest::newRow("one_line") << "-Tools\n"
                              << "";
    QTest::newRow("empty_file") << ""
                                << "";
    QTest::newRow("header_last_titles_nothing") << "-Tools\nFiles:files\n-Games\n"
                                                << "Tools[Files=files]";
    QTest::newRow("header_after_header_is_empty_group") << "-Tools\n-Games\nChess:chess\n"
                                                        << "Tools[]|Games[Chess=chess]";
    QTest::newRow("command_keeps_later_colons") << "-T\nRun:sh -c a:b\n"
                                                << "T[Run=sh -c a:b]";
    QTest::newRow("no_colon_is_label_and_command") << "-T\nuptime\n"
                                                   << "T[uptime=uptime]";
    QTest::newRow("empty_line_is_empty_entry") << "-T\n\nA:a\n"
                                               << "T[=,A=a]";
    // Whatever the first line starts with, that character goes.
    QTest::newRow("first_line_without_dash") << "XTools\nA:a\n"
                                             << "Tools[A=a]";
    QTest::newRow("crlf_lines") << "-Tools\r\nFiles:files\r\n"
                                << "Tools[Files=files]";
    QTest::newRow("label_text_kept_as_written") << "- Spaced Out \n a & b : c \n"
                                                << " Spaced Out [ a & b = c ]";
}

void TestLauncher::grammar()
{
    QFETCH(QString, text);
    QFETCH(QString, groups);
    QCOMPARE(describe(parseLauncher(text)), groups);
}

void TestLauncher::windowMenuFollowsFile()
{
    PhoneTree phone;
    writeAppList("-Tools\nFiles:files\nTom & Jerry:cartoon\n-Empty\n-Games\nChess:chess\n-Last\n");
    MainWindow window;
    QCOMPARE(window.menu->count(), 4);
    const QStringList titles{"Tools", "Empty", "Games"};
    for (int i = 0; i < titles.size(); ++i) {
        PopupMenu *group = window.menu->submenu(window.menu->idAt(i));
        QVERIFY2(group, qPrintable(titles.at(i)));
        QCOMPARE(window.menu->text(window.menu->idAt(i)), titles.at(i));
        QCOMPARE(group->count(), QList<int>({2, 0, 1}).at(i));
    }
    PopupMenu *tools = window.menu->submenu(window.menu->idAt(0));
    QCOMPARE(tools->text(tools->idAt(0)), QStringLiteral("Files"));
    // "&" would otherwise mark a shortcut and vanish from the label.
    QCOMPARE(tools->findItem(tools->idAt(1))->iconText(), QStringLiteral("Tom & Jerry"));
    QCOMPARE(window.menu->idAt(3), window.endProcessId);
    QCOMPARE(window.menu->text(window.endProcessId), QStringLiteral("End Process"));
}

void TestLauncher::fileFromWorkingFolderElseBesideProgram_data()
{
    QTest::addColumn<QByteArray>("inWorkingFolder");  // null: no file there
    QTest::addColumn<QByteArray>("besideProgram");
    QTest::addColumn<QStringList>("menu");
    QTest::newRow("working_folder") << QByteArray("-Mine\nA:a\n") << QByteArray()
                                    << QStringList{"Mine", "End Process"};
    QTest::newRow("beside_program") << QByteArray() << QByteArray("-Shipped\nB:b\n")
                                    << QStringList{"Shipped", "End Process"};
    QTest::newRow("working_folder_wins")
        << QByteArray("-Mine\nA:a\n") << QByteArray("-Shipped\nB:b\n") << QStringList{"Mine", "End Process"};
    // An empty file of the user's own still counts: it asks for no launcher groups.
    QTest::newRow("empty_in_working_folder_wins")
        << QByteArray("") << QByteArray("-Shipped\nB:b\n") << QStringList{"End Process"};
    QTest::newRow("nowhere") << QByteArray() << QByteArray() << QStringList{"End Process"};
}

void TestLauncher::fileFromWorkingFolderElseBesideProgram()
{
    QFETCH(QByteArray, inWorkingFolder);
    QFETCH(QByteArray, besideProgram);
    QFETCH(QStringList, menu);
    PhoneTree phone;
    QTemporaryDir programFolder;
    if (!inWorkingFolder.isNull())
        writeAppList(inWorkingFolder);
    if (!besideProgram.isNull()) {
        QFile file(programFolder.filePath(QStringLiteral("applist.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(besideProgram);
    }
    MainWindow window(programFolder.path());
    QStringList texts;
    for (int i = 0; i < window.menu->count(); ++i)
        texts << window.menu->text(window.menu->idAt(i));
    QCOMPARE(texts, menu);
}

void TestLauncher::programFindsTheFileShippedBesideIt()
{
    // The test program lies in the build's bin folder beside the sample applist.txt, as the
    // installed program lies beside its own; the working folder has none.
    QFile shipped(QCoreApplication::applicationDirPath() + QStringLiteral("/applist.txt"));
    QVERIFY(shipped.open(QIODevice::ReadOnly | QIODevice::Text));
    const QList<LauncherGroup> groups = parseLauncher(QString::fromLocal8Bit(shipped.readAll()));
    QVERIFY(!groups.isEmpty());
    PhoneTree phone;
    MainWindow window;
    QCOMPARE(window.menu->count(), groups.size() + 1);
    QCOMPARE(window.menu->text(window.menu->idAt(0)), groups.first().title);
}

void TestLauncher::entryRunsItsCommandThroughTheShell()
{
    PhoneTree phone;
    // Colons after the first belong to the command; names outside ASCII reach the shell in
    // the bytes the file holds.
    writeAppList("-Run\nMark:echo ran:ok > marker.txt\nCaf\xc3\xa9:printf caf\xc3\xa9 > caf\xc3\xa9.txt\n");
    MainWindow window;
    PopupMenu *run = window.menu->submenu(window.menu->idAt(0));
    QVERIFY(run);
    QCOMPARE(run->text(run->idAt(1)), QString::fromUtf8("Caf\xc3\xa9"));
    QVERIFY(run->activateItem(run->idAt(0)));
    QVERIFY(run->activateItem(run->idAt(1)));
    // execute() waits for the shell: the files are there as soon as the items return.
    QFile marker(QStringLiteral("marker.txt"));
    QVERIFY(marker.open(QIODevice::ReadOnly));
    QCOMPARE(marker.readAll(), QByteArray("ran:ok\n"));
    QFile utf8(QFile::decodeName("caf\xc3\xa9.txt"));
    QVERIFY(utf8.open(QIODevice::ReadOnly));
    QCOMPARE(utf8.readAll(), QByteArray("caf\xc3\xa9"));

    AppMenu nothing{QString()};
    nothing.execute();  // an empty line's entry runs an empty command, harmlessly
}

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    TestLauncher test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_launcher.moc"
