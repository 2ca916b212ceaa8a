// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "myclass_zwidget.h"

class MyClass_ButtonGroup;
class PopupMenu;
class QLabel;
class ZMultiLineEdit;
class ZPushButton;
class ZScrollView;

// The screen that builds a .tar.gz archive: its file name, the folder to save it in, and the
// list of files and folders to pack. The menu adds and removes entries, the middle soft key
// packs, the right one closes (hides) the window.
class CompressWin : public MyClass_ZWidget
{
    Q_OBJECT
public:
    CompressWin(const QString &title, bool editorMode, QWidget *parent, const char *name, WFlags flags);
    ~CompressWin() override;

private slots:
    void slotMidBtnClick();
    void slotRightBtnClick();
    void slotMainMenuClick(int id);
    void slotSelectSavePath();

private:
    void initComponent();
    void addFile();
    void addFolder();
    void deleteItems();
    void compressFile();
    QString pickerStart() const;

    ZScrollView *pContent = nullptr;
    ZPushButton *pMenuBtn = nullptr;
    ZPushButton *pMidBtn = nullptr;
    ZPushButton *pExitBtn = nullptr;
    PopupMenu *pMainMenu = nullptr;
    int idAddFile = 0;
    int idAddFolder = 0;
    int idRemove = 0;
    MyClass_ButtonGroup *pFileList = nullptr;
    QLabel *qLabel1 = nullptr;
    ZMultiLineEdit *pNameEdit = nullptr;
    QLabel *qLabel2 = nullptr;
    ZPushButton *pPathBtn = nullptr;
    ZMultiLineEdit *pPathEdit = nullptr;
};
