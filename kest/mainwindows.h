// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "decompressiontool.h"
#include "myclass_zwidget.h"

class PopupMenu;
class QLabel;
class ZMultiLineEdit;
class ZPushButton;
class ZScrollView;

// Kest's extraction screen: the archive and the folder to extract into, each chosen with a
// picker; the middle soft key extracts, the left one opens the menu (create an archive,
// About), the right one asks before leaving.
class MainWindows : public MyClass_ZWidget
{
    Q_OBJECT
public:
    MainWindows(const QString &captionKey, const QString &captionDefault, bool editorMode, QWidget *parent,
                const char *name, WFlags flags);
    // Opened on archivePath: an 8-bit string whose bytes are the path in UTF-8.
    MainWindows(const QString &archivePath, const QString &captionKey, const QString &captionDefault,
                bool editorMode, QWidget *parent, const char *name, WFlags flags);
    ~MainWindows() override;

private slots:
    void slotMidBtnClick();
    void slotRightBtnClick();
    void slotMainMenuClick(int id);
    void slotSelectFile();
    void slotSelectPath();

private:
    void initComponent();
    void displayAboutInfo();
    void decompressionFiel();
    void displayCompressWin();
    QString nameLine() const;
    bool askPassword(QString &password);
    bool askReplaceEntries(const QStringList &existing);
    QString pickerStart() const;
    QString reasonLine(const DecompressionTool::Failure &failure) const;

    ZScrollView *pContent = nullptr;
    ZPushButton *pMenuBtn = nullptr;
    ZPushButton *pMidBtn = nullptr;
    ZPushButton *pExitBtn = nullptr;
    PopupMenu *pMainMenu = nullptr;
    int idAbout = 0;
    int idCreate = 0;
    DecompressionTool *pTool = nullptr;
    QLabel *qLabel1 = nullptr;
    ZPushButton *pFileBtn = nullptr;
    ZMultiLineEdit *pFileEdit = nullptr;
    QLabel *qLabel2 = nullptr;
    ZPushButton *pPathBtn = nullptr;
    ZMultiLineEdit *pPathEdit = nullptr;
};
