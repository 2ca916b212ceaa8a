// SPDX-License-Identifier: GPL-2.0-or-later
#include "zpickers.h"

#include "resources.h"
#include "zglobal.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {
constexpr int folderRole = Qt::UserRole + 1;
constexpr int pathRole = Qt::UserRole + 2;
}

ZPickerBase::ZPickerBase(const QString &start, bool onlyFolders, QWidget *parent, const char *name)
    : ZBaseDialog(parent, name, 1), foldersOnly(onlyFolders)
{
    setGeometry(ZGlobal::getScreenR());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    where = new QLabel(this);
    where->setObjectName(QStringLiteral("pickerTitle"));
    where->setFixedHeight(ZGlobal::titleHeight);
    where->setIndent(6);
    where->setStyleSheet(QStringLiteral(
        "QLabel { color: white; font-weight: bold;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3b6fb6, stop:1 #1d3f73); }"));
    layout->addWidget(where);

    entries = new QListWidget(this);
    entries->setObjectName(QStringLiteral("pickerList"));
    entries->setFrameShape(QFrame::NoFrame);
    entries->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    entries->setTextElideMode(Qt::ElideMiddle);
    layout->addWidget(entries, 1);
    connect(entries, &QListWidget::itemActivated, this, &ZPickerBase::activate);

    auto *bar = new QWidget(this);
    bar->setFixedHeight(ZGlobal::cstHeight);
    bar->setStyleSheet(QStringLiteral("QWidget { background: #20242c; }"
                                      "QPushButton { color: white; border: none; font-weight: bold; }"
                                      "QPushButton:pressed { background: #3b6fb6; }"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    auto *ok = new QPushButton(ZResource::text(QStringLiteral("CST_Ok")), bar);
    ok->setObjectName(QStringLiteral("pickerOk"));
    auto *cancel = new QPushButton(ZResource::text(QStringLiteral("CST_Cancel")), bar);
    cancel->setObjectName(QStringLiteral("pickerCancel"));
    row->addWidget(ok);
    row->addStretch();
    row->addWidget(cancel);
    layout->addWidget(bar);
    connect(ok, &QPushButton::clicked, this, [this] { choose(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    const QString startDir = QFileInfo(start).isDir() ? start : QDir::rootPath();
    current = QDir(startDir).absolutePath();
}

void ZPickerBase::setDirectory(const QString &path)
{
    current = QDir(path).absolutePath();
    fill();
}

QString ZPickerBase::pathOf(const QListWidgetItem *item) const
{
    return item ? item->data(pathRole).toString() : QString();
}

bool ZPickerBase::isFolderItem(const QListWidgetItem *item) const
{
    return item && item->data(folderRole).toBool();
}

void ZPickerBase::activate(QListWidgetItem *item)
{
    if (isFolderItem(item))
        setDirectory(pathOf(item));
    else if (item)
        choose();
}

void ZPickerBase::fill()
{
    where->setText(current);
    entries->clear();
    QDir dir(current);
    if (!dir.isRoot()) {
        auto *up = new QListWidgetItem(ZResource::icon(QStringLiteral("InSet_Picker_Folder")),
                                       QStringLiteral(".."), entries);
        up->setData(folderRole, true);
        up->setData(pathRole, QFileInfo(current).absolutePath());
    }
    const QFileInfoList folders =
        dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &info : folders) {
        auto *item = new QListWidgetItem(ZResource::icon(QStringLiteral("InSet_Picker_Folder")),
                                         info.fileName(), entries);
        item->setData(folderRole, true);
        item->setData(pathRole, info.absoluteFilePath());
    }
    if (foldersOnly)
        return;
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &info : files) {
        if (!showsFile(info.fileName()))
            continue;
        auto *item = new QListWidgetItem(ZResource::icon(QStringLiteral("InSet_Picker_File")),
                                         info.fileName(), entries);
        item->setData(folderRole, false);
        item->setData(pathRole, info.absoluteFilePath());
    }
}

ZOpenDlg::ZOpenDlg(const QStringList &filters, const QString &start, bool multi, QWidget *parent)
    : ZPickerBase(start, false, parent, "ZOpenDlg"), patterns(filters), multiple(multi)
{
    list()->setSelectionMode(multiple ? QAbstractItemView::MultiSelection
                                      : QAbstractItemView::SingleSelection);
    setDirectory(directory());
}

bool ZOpenDlg::showsFile(const QString &name) const
{
    if (patterns.isEmpty())
        return true;
    for (const QString &pattern : patterns) {
        if (pattern == QLatin1String("*") || pattern == QLatin1String("*.*"))
            return true;
        const QRegularExpression match(QRegularExpression::wildcardToRegularExpression(pattern),
                                       QRegularExpression::CaseInsensitiveOption);
        if (match.match(name).hasMatch())
            return true;
    }
    return false;
}

void ZOpenDlg::choose()
{
    chosen.clear();
    for (int row = 0; row < list()->count(); ++row) {
        QListWidgetItem *item = list()->item(row);
        if (item->isSelected() && !isFolderItem(item))
            chosen.append(pathOf(item));
    }
    if (chosen.isEmpty() && list()->currentItem() && !isFolderItem(list()->currentItem()))
        chosen.append(pathOf(list()->currentItem()));
    if (chosen.isEmpty())
        return;
    if (!multiple)
        chosen = chosen.mid(0, 1);
    accept();
}

void ZOpenDlg::setSelection(const QStringList &paths)
{
    chosen = multiple ? paths : paths.mid(0, 1);
}

QString ZOpenDlg::getFile() const
{
    return result() == QDialog::Accepted && !chosen.isEmpty() ? chosen.first() : QString::fromLatin1("");
}

QStringList ZOpenDlg::getFileList() const
{
    return result() == QDialog::Accepted ? chosen : QStringList();
}

ZSelectFolderDlg::ZSelectFolderDlg(const QString &start, QWidget *parent)
    : ZPickerBase(start, true, parent, "ZSelectFolderDlg")
{
    setDirectory(directory());
}

void ZSelectFolderDlg::choose()
{
    QListWidgetItem *item = list()->currentItem();
    if (item && item->isSelected() && item->text() != QLatin1String(".."))
        selected = pathOf(item);
    else
        selected = directory();
    accept();
}

void ZSelectFolderDlg::setSelected(const QString &path)
{
    selected = path;
}

QString ZSelectFolderDlg::getSelected() const
{
    return result() == QDialog::Accepted ? selected : QString::fromLatin1("");
}
