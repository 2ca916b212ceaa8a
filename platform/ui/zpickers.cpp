// SPDX-License-Identifier: GPL-2.0-or-later
#include "zpickers.h"

#include "phonepath.h"
#include "resources.h"
#include "zglobal.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {
constexpr int folderRole = Qt::UserRole + 1;
constexpr int pathRole = Qt::UserRole + 2;

// The part of path below folder ("/" for the folder itself), or a null string when path does
// not lie in it.
QString below(const QString &path, const QString &folder)
{
    if (folder.isEmpty())
        return QString();
    if (path == folder)
        return QStringLiteral("/");
    if (path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/'))
        return path.mid(folder.size());
    return QString();
}

QString phoneTreeRoot()
{
    const std::string root = phoneRoot();
    return root.empty() ? QString() : QDir::cleanPath(QDir(QFile::decodeName(root.c_str())).absolutePath());
}

// A file starts in its folder, a folder that is gone in the nearest one above it.
QString startFolder(const QString &start)
{
    QString path = QDir::cleanPath(QDir(start.isEmpty() ? QDir::rootPath() : start).absolutePath());
    while (!QFileInfo(path).isDir() && path != QDir::rootPath())
        path = QFileInfo(path).absolutePath();
    return path;
}

}  // namespace

QString ZPickerBase::phoneName(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    const QString root = phoneTreeRoot();
    if (!root.isEmpty()) {
        const QString inside = below(clean, root);
        return inside.isNull() ? clean : inside;
    }
    const QString storage = QFile::decodeName(phoneStorageRoot().c_str());
    const QString inside = below(clean, QDir::cleanPath(storage));
    if (!storage.isEmpty() && !inside.isNull() && isPhoneStoragePath(QFile::encodeName(inside).toStdString()))
        return inside;
    return clean;
}

ZPickerBase::ZPickerBase(const QString &start, bool onlyFolders, QWidget *parent, const char *name)
    : ZBaseDialog(parent, name, 1), foldersOnly(onlyFolders)
{
    setGeometry(ZGlobal::getScreenR());
    setFixedSize(ZGlobal::getScreenR().size());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    where = new QLabel(this);
    where->setObjectName(QStringLiteral("pickerTitle"));
    where->setFixedHeight(ZGlobal::titleHeight);
    // However long the path, it never widens the picker past the screen and its soft keys.
    where->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
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
    ok = new QPushButton(ZResource::text(QStringLiteral("CST_Ok")), bar);
    ok->setObjectName(QStringLiteral("pickerOk"));
    cancel = new QPushButton(ZResource::text(QStringLiteral("CST_Cancel")), bar);
    cancel->setObjectName(QStringLiteral("pickerCancel"));
    // Soft keys, not dialog buttons: Return belongs to the list, and as a default button OK
    // would also take the Return that opened a folder.
    for (QPushButton *key : {ok, cancel}) {
        key->setAutoDefault(false);
        key->setFocusPolicy(Qt::NoFocus);
    }
    row->addWidget(ok);
    row->addStretch();
    row->addWidget(cancel);
    layout->addWidget(bar);
    connect(ok, &QPushButton::clicked, this, [this] { choose(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    current = startFolder(start);
    const QString root = phoneTreeRoot();
    if (!below(current, root).isNull())
        top = root;
}

void ZPickerBase::setDirectory(const QString &path)
{
    current = QDir::cleanPath(QDir(path).absolutePath());
    if (!top.isEmpty() && below(current, top).isNull())
        current = top;
    fill();
}

QString ZPickerBase::title() const
{
    return phoneName(current);
}

void ZPickerBase::showTitle()
{
    const QString full = title();
    where->ensurePolished();
    const int room = width() - 2 * where->indent() - 4;
    where->setText(where->fontMetrics().elidedText(full, Qt::ElideMiddle, room));
    where->setToolTip(full);
}

void ZPickerBase::resizeEvent(QResizeEvent *event)
{
    ZBaseDialog::resizeEvent(event);
    showTitle();
}

QAbstractButton *ZPickerBase::softKey(SoftKey key) const
{
    if (key == SoftKey::Left)
        return ok;
    if (key == SoftKey::Right)
        return cancel;
    return nullptr;
}

void ZPickerBase::keyPressEvent(QKeyEvent *event)
{
    // The middle key opens the highlighted folder or takes the highlighted file, as Return
    // does in the list.
    if (softKeyFor(event) == SoftKey::Middle && !isReturnKey(event)) {
        if (!event->isAutoRepeat())
            activate(entries->currentItem());
        event->accept();
        return;
    }
    ZBaseDialog::keyPressEvent(event);
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
    showTitle();
    entries->clear();
    QDir dir(current);
    if (!dir.isRoot() && current != top) {
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

namespace {

// The filters as one expression, made once: a folder of thousands of files is matched name by
// name. Empty when every file shows.
QRegularExpression filesShown(const QStringList &filters)
{
    QStringList alternatives;
    for (const QString &pattern : filters) {
        if (pattern == QLatin1String("*") || pattern == QLatin1String("*.*"))
            return QRegularExpression();
        alternatives << QLatin1String("(?:") + QRegularExpression::wildcardToRegularExpression(pattern)
                            + QLatin1Char(')');
    }
    return QRegularExpression(alternatives.join(QLatin1Char('|')), QRegularExpression::CaseInsensitiveOption);
}

}  // namespace

ZOpenDlg::ZOpenDlg(const QStringList &filters, const QString &start, bool multi, QWidget *parent)
    : ZPickerBase(start, false, parent, "ZOpenDlg"), fileMatch(filesShown(filters)), multiple(multi)
{
    list()->setSelectionMode(multiple ? QAbstractItemView::MultiSelection
                                      : QAbstractItemView::SingleSelection);
    setDirectory(directory());
}

bool ZOpenDlg::showsFile(const QString &name) const
{
    return fileMatch.pattern().isEmpty() || fileMatch.match(name).hasMatch();
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
