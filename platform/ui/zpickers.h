// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zbasedialog.h"

#include <QStringList>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The phone's pickers fill the screen: the folder being browsed on top, its entries (".."
// first, then folders, then files), and OK / Cancel soft keys. A folder is opened by
// activating it (double click, Return).
class ZPickerBase : public ZBaseDialog
{
    Q_OBJECT
public:
    void setDirectory(const QString &path);
    QString directory() const { return current; }
    QListWidget *list() const { return entries; }

protected:
    ZPickerBase(const QString &start, bool foldersOnly, QWidget *parent, const char *name);
    virtual bool showsFile(const QString &name) const = 0;
    virtual void choose() = 0;  // OK pressed
    QString pathOf(const QListWidgetItem *item) const;
    bool isFolderItem(const QListWidgetItem *item) const;

private slots:
    void activate(QListWidgetItem *item);

private:
    void fill();

    bool foldersOnly;
    QString current;
    QLabel *where;
    QListWidget *entries;
};

// File picker: filters are wildcard patterns ("*.tar.gz"); "*" and "*.*" show every file.
class ZOpenDlg : public ZPickerBase
{
    Q_OBJECT
public:
    ZOpenDlg(const QStringList &filters, const QString &start, bool multiple, QWidget *parent = nullptr);

    QString getFile() const;          // the chosen file, or an empty string
    QStringList getFileList() const;  // the chosen files, in list order

    // Chooses these paths as if the user had picked them (then call accept()).
    void setSelection(const QStringList &paths);

protected:
    bool showsFile(const QString &name) const override;
    void choose() override;

private:
    QStringList patterns;
    bool multiple;
    QStringList chosen;
};

// Folder picker: OK takes the highlighted folder, or the folder being browsed.
class ZSelectFolderDlg : public ZPickerBase
{
    Q_OBJECT
public:
    explicit ZSelectFolderDlg(const QString &start, QWidget *parent = nullptr);

    QString getSelected() const;  // an empty string when cancelled
    void setSelected(const QString &path);

protected:
    bool showsFile(const QString &) const override { return false; }
    void choose() override;

private:
    QString selected;
};
