// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zbasedialog.h"

#include <QRegularExpression>
#include <QStringList>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The phone's pickers fill the screen: the folder being browsed on top, its entries (".."
// first, then folders, then files), and OK / Cancel soft keys (F1 / F3). A folder is opened
// by activating it (double click, Return, F2).
//
// The title names the folder as the phone does (phoneName), shortened in the middle when it
// is too long for the screen. Browsing starts in the given folder, or in the nearest folder
// above it that exists, and never climbs above the phone tree that EZX_ROOT names.
class ZPickerBase : public ZBaseDialog
{
    Q_OBJECT
public:
    void setDirectory(const QString &path);
    QString directory() const { return current; }
    QListWidget *list() const { return entries; }
    QString title() const;  // the whole title, before any shortening

    QAbstractButton *softKey(SoftKey key) const override;

    // A path of this machine as the phone names it: without the EZX_ROOT prefix, or without
    // the data folder that stands in for the phone's storage. Other paths stay as they are.
    static QString phoneName(const QString &path);

protected:
    ZPickerBase(const QString &start, bool foldersOnly, QWidget *parent, const char *name);
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    virtual bool showsFile(const QString &name) const = 0;
    virtual void choose() = 0;  // OK pressed
    QString pathOf(const QListWidgetItem *item) const;
    bool isFolderItem(const QListWidgetItem *item) const;

private slots:
    void activate(QListWidgetItem *item);

private:
    void fill();
    void showTitle();

    bool foldersOnly;
    QString current;
    QString top;  // the phone tree's root folder, or empty
    QLabel *where;
    QListWidget *entries;
    QPushButton *ok;
    QPushButton *cancel;
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
    QRegularExpression fileMatch;
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
