// SPDX-License-Identifier: GPL-2.0-or-later
#include "compresswin.h"

#include "archivetypes.h"
#include "decompressiontool.h"
#include "jobcaptions.h"
#include "jobprogress.h"
#include "myclass_buttongroup.h"
#include "myclass_progressdlg.h"
#include "myclass_radiobutton.h"
#include "phonepath.h"
#include "popupmenu.h"
#include "shellcommand.h"
#include "zmultilineedit.h"
#include "zpickers.h"
#include "zpushbutton.h"
#include "zscrollview.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QScrollBar>

namespace {

// Caption defaults as GB2312 bytes: readLabCap decodes them with the GB2312 codec, and a
// language file gets the decoded text.

// 添加文件
const char menuAddFile[] = "\xCC\xED\xBC\xD3\xCE\xC4\xBC\xFE";
// 添加文件夹
const char menuAddFolder[] = "\xCC\xED\xBC\xD3\xCE\xC4\xBC\xFE\xBC\xD0";
// 移除项目
const char menuRemove[] = "\xD2\xC6\xB3\xFD\xCF\xEE\xC4\xBF";
// 压缩文件名称：
const char labelName[] = "\xD1\xB9\xCB\xF5\xCE\xC4\xBC\xFE\xC3\xFB\xB3\xC6\xA3\xBA";
// 存放路径：
const char labelSaveDir[] = "\xB4\xE6\xB7\xC5\xC2\xB7\xBE\xB6\xA3\xBA";
// 待压缩项目列表
const char listTitle[] = "\xB4\xFD\xD1\xB9\xCB\xF5\xCF\xEE\xC4\xBF\xC1\xD0\xB1\xED";
// 压缩
const char midCompress[] = "\xD1\xB9\xCB\xF5";
// 您的操作将创建压缩包，是否继续？
const char askCompress[] = "\xC4\xFA\xB5\xC4\xB2\xD9\xD7\xF7\xBD\xAB\xB4\xB4\xBD\xA8\xD1\xB9\xCB\xF5"
                           "\xB0\xFC\xA3\xAC\xCA\xC7\xB7\xF1\xBC\xCC\xD0\xF8\xA3\xBF";
// 正在压缩请稍后...
const char progressCompress[] = "\xD5\xFD\xD4\xDA\xD1\xB9\xCB\xF5\xC7\xEB\xC9\xD4\xBA\xF3...";
// 压缩完成！
const char hintCompressed[] = "\xD1\xB9\xCB\xF5\xCD\xEA\xB3\xC9\xA3\xA1";
// 压缩失败！
const char hintCompressFailed[] = "\xD1\xB9\xCB\xF5\xCA\xA7\xB0\xDC\xA3\xA1";

// 压缩包已存在，是否替换？
const char askReplace[] = "\xD1\xB9\xCB\xF5\xB0\xFC\xD2\xD1\xB4\xE6\xD4\xDA\xA3\xAC\xCA\xC7\xB7\xF1"
                          "\xCC\xE6\xBB\xBB\xA3\xBF";

const char defaultArchiveName[] = "Default.tar.gz";
const char fileTag[] = "0";
const char folderTag[] = "1";

QString gb(const char *bytes)
{
    return QString::fromLatin1(bytes);
}

}  // namespace

CompressWin::CompressWin(const QString &title, bool editorMode, QWidget *parent, const char *name,
                         WFlags flags)
    : MyClass_ZWidget(title, editorMode, parent, name, flags)
{
    initComponent();
}

CompressWin::~CompressWin() = default;

void CompressWin::initComponent()
{
    pContent = getContentWidget(true);
    pContent->enableClipper(true);
    // The list reaches far below the screen; a slim scroll bar leaves the fields their width.
    pContent->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { width: 6px; background: #eef1f6; border: none; margin: 0; }"
        "QScrollBar::handle:vertical { background: #8ea3c4; border-radius: 3px; min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));

    QWidget *cst = getCSTWidget(true);
    pMenuBtn = new ZPushButton(QStringLiteral("CST_Menu"), cst, 6, -1, -1);
    pMenuBtn->setObjectName(QStringLiteral("pMenuBtn"));
    pMidBtn = new ZPushButton(QString(), cst, 4, -1, -1);
    pMidBtn->setObjectName(QStringLiteral("pMidBtn"));
    pMidBtn->setText(readLabCap(QStringLiteral("Win_MidBtn2"), gb(midCompress)));
    pExitBtn = new ZPushButton(QStringLiteral("CST_Exit"), cst, 5, -1, -1);
    pExitBtn->setObjectName(QStringLiteral("pExitBtn"));
    pMenuBtn->setGeometry(ZGlobal::diffRect(ZGlobal::getCstR(), ZGlobal::getCst3_1R()));
    pMidBtn->setGeometry(ZGlobal::diffRect(ZGlobal::getCstR(), ZGlobal::getCst3_2R()));
    pExitBtn->setGeometry(ZGlobal::diffRect(ZGlobal::getCstR(), ZGlobal::getCst3_3R()));
    connect(pMidBtn, &QPushButton::clicked, this, &CompressWin::slotMidBtnClick);
    connect(pExitBtn, &QPushButton::clicked, this, &CompressWin::slotRightBtnClick);

    pMainMenu = new PopupMenu(pMenuBtn, "pMainMenu");
    pMenuBtn->setPopup(pMainMenu);
    connect(pMainMenu, &PopupMenu::activated, this, &CompressWin::slotMainMenuClick);
    idAddFile = pMainMenu->insertItem(readLabCap(QStringLiteral("Win_MainMenu_Item2_1"), gb(menuAddFile)));
    idAddFolder =
        pMainMenu->insertItem(readLabCap(QStringLiteral("Win_MainMenu_Item2_2"), gb(menuAddFolder)));
    idRemove = pMainMenu->insertItem(readLabCap(QStringLiteral("Win_MainMenu_Item2_3"), gb(menuRemove)));

    QWidget *view = pContent->viewport();
    qLabel1 = new QLabel(view);
    qLabel1->setObjectName(QStringLiteral("qLabel1"));
    qLabel1->setText(readLabCap(QStringLiteral("Win_Item2_1"), gb(labelName)));
    qLabel1->adjustSize();
    qLabel1->move(2, 2);

    const int y1 = qLabel1->height() + 2;
    pNameEdit = new ZMultiLineEdit(view, "pNameEdit");
    pNameEdit->move(2, y1);
    pNameEdit->setFixedWidth(190);
    pNameEdit->setText(QString::fromLatin1(defaultArchiveName));

    const int y2 = y1 + pNameEdit->height() + 10;
    qLabel2 = new QLabel(view);
    qLabel2->setObjectName(QStringLiteral("qLabel2"));
    qLabel2->setText(readLabCap(QStringLiteral("Win_Item2_2"), gb(labelSaveDir)));
    qLabel2->adjustSize();
    qLabel2->move(2, y2);

    const int y3 = y2 + qLabel2->height();
    pPathEdit = new ZMultiLineEdit(view, "pPathEdit");
    pPathEdit->setEdited(false);
    pPathEdit->setReadOnly(true);
    pPathEdit->move(2, y3);
    pPathEdit->setFixedWidth(190);

    pPathBtn = new ZPushButton(QStringLiteral("InSet_Picker_Folder"), view, 0, -1, -1);
    pPathBtn->setObjectName(QStringLiteral("pPathBtn"));
    pPathBtn->move(193, y3 + 2);
    connect(pPathBtn, &QPushButton::clicked, this, &CompressWin::slotSelectSavePath);

    const int y4 = y3 + pPathEdit->height() + 10;
    pFileList = new MyClass_ButtonGroup(
        1, Qt::Horizontal, readLabCap(QStringLiteral("Win_Caption3"), gb(listTitle)), view, "pFileList");
    // A title over a rule rather than a frame: the right edge lies under the scroll bar.
    pFileList->setStyleSheet(QStringLiteral(
        "MyClass_ButtonGroup { border: none; border-top: 1px solid #8ea3c4; margin-top: 8px;"
        " padding-top: 6px; }"
        "MyClass_ButtonGroup::title { subcontrol-origin: margin; left: 2px; padding: 0 4px; }"));
    pFileList->setMinimumWidth(240);
    pFileList->resize(240, 1000);
    pFileList->move(0, y4);
}

void CompressWin::slotMidBtnClick()
{
    compressFile();
}

void CompressWin::slotRightBtnClick()
{
    close();
}

void CompressWin::slotMainMenuClick(int id)
{
    if (id == idAddFile)
        addFile();
    if (id == idAddFolder)
        addFolder();
    if (id == idRemove)
        deleteItems();
}

// Where a picker starts: the save folder once there is one, else the memory card.
QString CompressWin::pickerStart() const
{
    const QString saveDir = pPathEdit->text();
    if (!saveDir.isEmpty() && QFileInfo(saveDir).isDir())
        return QFileInfo(saveDir).absoluteFilePath();
    return phonePath(QStringLiteral("/mmc/mmca1"));
}

void CompressWin::slotSelectSavePath()
{
    auto *picker = new ZSelectFolderDlg(pickerStart(), this);
    picker->exec();
    const QString folder = picker->getSelected();
    delete picker;
    if (!folder.isEmpty())
        pPathEdit->setText(folder);
}

void CompressWin::addFile()
{
    auto *picker = new ZOpenDlg({QStringLiteral("*.*")}, pickerStart(), true, this);
    picker->exec();
    const QStringList files = picker->getFileList();
    delete picker;
    for (const QString &file : files) {
        // photo.2009.jpg shows as photo; the full path goes into the archive.
        const QString caption = QFileInfo(file).fileName().section(QLatin1Char('.'), 0, 0);
        pFileList->addButton(caption, file, gb(fileTag));
    }
    if (!files.isEmpty())
        update();
}

void CompressWin::addFolder()
{
    auto *picker = new ZSelectFolderDlg(pickerStart(), this);
    picker->exec();
    const QString folder = picker->getSelected();
    delete picker;
    if (folder.isEmpty())
        return;
    pFileList->addButton(folder.section(QLatin1Char('/'), -1), folder, gb(folderTag));
}

void CompressWin::deleteItems()
{
    pFileList->delButton();
    update();
}

void CompressWin::compressFile()
{
    if (pNameEdit->text().isEmpty() || pPathEdit->text().isEmpty())
        return;
    if (pFileList->count() == 0)
        return;
    if (showMsgAskDlg(readLabCap(QStringLiteral("Msg_AskInfo_Items3"), gb(askCompress))) != 0)
        return;

    auto *progress = new MyClass_ProgressDlg(QStringLiteral("Dlg_Progress_Info2"), gb(progressCompress), this,
                                             "Dlg", 1, 0x41, MyClass_Dlg::Dlg_Small);
    progress->showProgressDlg();

    QStringList items;
    for (int id = 1; id <= pFileList->count(); ++id)
        if (auto *entry = qobject_cast<MyClass_RadioButton *>(pFileList->find(id)))
            items.append(entry->itemKey);

    // What is made is a gzip-compressed tar, and its name says so.
    const QString name = compressionFileName(pNameEdit->text());
    auto *tool = new DecompressionTool(name, pPathEdit->text());
    tool->setReplaceHook([this](const QStringList &existing) {
        return showMsgAskDlg(readLabCap(QStringLiteral("Msg_AskInfo_Items5"), gb(askReplace))
                                 + QLatin1Char('\n') + existing.value(0),
                             readLabCap(QStringLiteral("Msg_Ask_Button3"), gb(buttonReplace)),
                             readLabCap(QStringLiteral("Msg_Ask_Button4"), gb(buttonCancel)))
               == 0;
    });
    JobMeter meter;
    setShellWatch([progress, &meter](int job) {
        progress->setProgress(meter.sample(job));
        progress->keepAlive();
        return progress->cancelRequested();
    });
    const int result = tool->compressFile(items, name, pPathEdit->text(), 1);
    setShellWatch(nullptr);
    // Replacing declined: the user knows, and nothing was done.
    if (result == DecompressionTool::Cancelled)
        showMsgHintDlg(readLabCap(QStringLiteral("Msg_HintInfo_Items6"), gb(hintCancelled)));
    else if (result == 1)
        showMsgHintDlg(readLabCap(QStringLiteral("Msg_HintInfo_Items3"), gb(hintCompressed)));
    else if (result != DecompressionTool::NotReplaced)
        showMsgHintDlg(readLabCap(QStringLiteral("Msg_HintInfo_Items5"), gb(hintCompressFailed)));
    delete tool;
    delete progress;
}
