// SPDX-License-Identifier: GPL-2.0-or-later
#include "myclass_buttongroup.h"
#include "myclass_radiobutton.h"
#include "zapplication.h"

#include "phonetree.h"

#include <QtTest>

class TestButtonGroup : public QObject
{
    Q_OBJECT
private slots:
    void idsStayDenseAfterDeletingFromTheMiddle();
    void nothingSelectedMeansNoChange();
    void groupGrowsButNeverShrinks();
    void registriesGiveOneEntryPerApplication_data();
    void registriesGiveOneEntryPerApplication();
    void missingRegistryGivesNoEntries();

private:
    static QStringList keysInIdOrder(const MyClass_ButtonGroup &group);
    static void clickEntry(MyClass_ButtonGroup &group, int id);
};

// On the caption, where a radio button takes clicks.
void TestButtonGroup::clickEntry(MyClass_ButtonGroup &group, int id)
{
    QAbstractButton *entry = group.find(id);
    QVERIFY(entry);
    QTest::mouseClick(entry, Qt::LeftButton, {}, QPoint(8, entry->height() / 2));
}

QStringList TestButtonGroup::keysInIdOrder(const MyClass_ButtonGroup &group)
{
    QStringList keys;
    for (int id = 1; id <= group.count(); ++id) {
        auto *entry = qobject_cast<MyClass_RadioButton *>(group.find(id));
        keys.append(entry ? entry->itemKey : QStringLiteral("<no id %1>").arg(id));
    }
    return keys;
}

void TestButtonGroup::idsStayDenseAfterDeletingFromTheMiddle()
{
    MyClass_ButtonGroup group(1, Qt::Horizontal, QStringLiteral("list"), nullptr, "group");
    group.show();
    group.addButton(QStringLiteral("a"), QStringLiteral("/k/a"), QStringLiteral("0"));
    group.addButton(QStringLiteral("b"), QStringLiteral("/k/b"), QStringLiteral("1"));
    group.addButton(QStringLiteral("c"), QStringLiteral("/k/c"), QStringLiteral("0"));
    QCOMPARE(keysInIdOrder(group), QStringList({"/k/a", "/k/b", "/k/c"}));
    QCOMPARE(group.find(2)->text(), QStringLiteral("b"));
    QCOMPARE(qobject_cast<MyClass_RadioButton *>(group.find(2))->itemTag, QStringLiteral("1"));

    // The user clicks the second entry, renames it, then removes it.
    QVERIFY(!group.getButton());
    clickEntry(group, 2);
    QVERIFY(group.getButton());
    QCOMPARE(group.getButton()->itemKey, QStringLiteral("/k/b"));
    group.updateButton(QStringLiteral("renamed"));
    QCOMPARE(group.find(2)->text(), QStringLiteral("renamed"));
    group.delButton();
    QVERIFY(!group.getButton());
    QCOMPARE(group.count(), 2);
    QCOMPARE(keysInIdOrder(group), QStringList({"/k/a", "/k/c"}));

    // A second delete finds no selection; a new entry takes the next id.
    group.delButton();
    QCOMPARE(group.count(), 2);
    group.addButton(QStringLiteral("d"), QStringLiteral("/k/d"), QStringLiteral("0"));
    QCOMPARE(keysInIdOrder(group), QStringList({"/k/a", "/k/c", "/k/d"}));

    // Clicking the renumbered entry selects it under its new id.
    clickEntry(group, 2);
    QVERIFY(group.getButton());
    QCOMPARE(group.getButton()->itemKey, QStringLiteral("/k/c"));
    group.delButton();
    QCOMPARE(keysInIdOrder(group), QStringList({"/k/a", "/k/d"}));
}

void TestButtonGroup::nothingSelectedMeansNoChange()
{
    MyClass_ButtonGroup group;
    group.addButton(QStringLiteral("a"), QStringLiteral("/k/a"), QStringLiteral("0"));
    group.updateButton(QStringLiteral("x"));
    group.delButton();
    QCOMPARE(group.count(), 1);
    QCOMPARE(group.find(1)->text(), QStringLiteral("a"));
}

void TestButtonGroup::groupGrowsButNeverShrinks()
{
    MyClass_ButtonGroup group(1, Qt::Horizontal, QStringLiteral("list"));
    group.resize(240, 100);
    int rowHeight = 0;
    for (int n = 1; n <= 12; ++n) {
        group.addButton(QStringLiteral("entry %1").arg(n), QString::number(n), QStringLiteral("0"));
        auto *entry = group.find(n);
        QVERIFY(entry->minimumWidth() >= 225);
        rowHeight = entry->sizeHint().height() + 5;
        const int needed = (n + 1) * rowHeight;
        if (needed > 210)
            QCOMPARE(group.size(), QSize(240, needed));
        else
            QCOMPARE(group.size(), QSize(240, 100));
    }
    const QSize grown = group.size();
    clickEntry(group, 5);
    group.delButton();
    QCOMPARE(group.size(), grown);
}

void TestButtonGroup::registriesGiveOneEntryPerApplication_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("which");
    QTest::newRow("installed") << "/ezx_user/download/appwrite/am/InstalledDB" << 0;
    QTest::newRow("user") << "/ezx_user/download/appwrite/am/UserRegistry" << 1;
    QTest::newRow("system") << "/usr/data_resource/preloadapps/SysRegistry" << 2;
    QTest::newRow("card") << "/mmc/mmca1/.system/java/CardRegistry" << 3;
}

void TestButtonGroup::registriesGiveOneEntryPerApplication()
{
    QFETCH(QString, file);
    QFETCH(int, which);
    PhoneTree phone;
    phone.write(file, "[B-app]\nName = Beta\nJavaId = 22\n"
                      "[A-app]\nName = Alpha\n"
                      "[C-app]\nJavaId = 33\n");
    MyClass_ButtonGroup group;
    switch (which) {
    case 0: group.initFromInstalledDB(); break;
    case 1: group.initFromUserRegistry(); break;
    case 2: group.initFromSysRegistry(); break;
    default: group.initFromCardRegistry(); break;
    }
    // File order, not sorted; absent entries show up as errors instead of being skipped.
    QCOMPARE(keysInIdOrder(group), QStringList({"B-app", "A-app", "C-app"}));
    auto entry = [&](int id) { return qobject_cast<MyClass_RadioButton *>(group.find(id)); };
    QCOMPARE(entry(1)->text(), QStringLiteral("Beta"));
    QCOMPARE(entry(1)->itemTag, QStringLiteral("22"));
    QCOMPARE(entry(2)->itemTag, QStringLiteral("JavaIdError"));
    QCOMPARE(entry(3)->text(), QStringLiteral("NameError"));
}

void TestButtonGroup::missingRegistryGivesNoEntries()
{
    PhoneTree phone;
    MyClass_ButtonGroup group;
    group.initFromInstalledDB();
    group.initConfigFile(phone.path("/nowhere/registry"));
    QCOMPARE(group.count(), 0);
}

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    TestButtonGroup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_buttongroup.moc"
