// SPDX-License-Identifier: GPL-2.0-or-later
#include "mainwindows.h"

#include "archivetypes.h"
#include "compresswin.h"
#include "decompressiontool.h"
#include "ezxlanguage.h"
#include "ezxversion.h"
#include "jobcaptions.h"
#include "jobprogress.h"
#include "myclass_passworddlg.h"
#include "myclass_progressdlg.h"
#include "phonepath.h"
#include "popupmenu.h"
#include "shellcommand.h"
#include "zmultilineedit.h"
#include "zpickers.h"
#include "zpushbutton.h"
#include "zscrollview.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>

namespace {

// Caption defaults as GB2312 bytes: readLabCap decodes them with the GB2312 codec, and a
// language file gets the decoded text.

// 创建压缩包
const char menuCreate[] = "\xB4\xB4\xBD\xA8\xD1\xB9\xCB\xF5\xB0\xFC";
// 关于
const char menuAbout[] = "\xB9\xD8\xD3\xDA";
// 文件名称：
const char labelFile[] = "\xCE\xC4\xBC\xFE\xC3\xFB\xB3\xC6\xA3\xBA";
// 解压到：
const char labelTarget[] = "\xBD\xE2\xD1\xB9\xB5\xBD\xA3\xBA";
// 解压
const char midExtract[] = "\xBD\xE2\xD1\xB9";
// 您的操作将进行解压，是否继续？
const char askExtract[] = "\xC4\xFA\xB5\xC4\xB2\xD9\xD7\xF7\xBD\xAB\xBD\xF8\xD0\xD0\xBD\xE2\xD1\xB9"
                          "\xA3\xAC\xCA\xC7\xB7\xF1\xBC\xCC\xD0\xF8\xA3\xBF";
// 正在解压请稍后...
const char progressExtract[] = "\xD5\xFD\xD4\xDA\xBD\xE2\xD1\xB9\xC7\xEB\xC9\xD4\xBA\xF3...";
// 解压完成！
const char hintExtracted[] = "\xBD\xE2\xD1\xB9\xCD\xEA\xB3\xC9\xA3\xA1";
// 解压失败！
const char hintExtractFailed[] = "\xBD\xE2\xD1\xB9\xCA\xA7\xB0\xDC\xA3\xA1";
// "Kest" and an ideographic space, which is all that parts the name from the version.
const char appName[] = "Kest\xA1\xA1";
// 利用Kest可以创建tar.gz格式的压缩包；可以解压tar.gz、tar、gz、bz2、rar、zip格式的压缩文；
// 但rar与zip压缩包不支持中文名；Kest运行需要/bin/tar、./unrar、./unzip文件支持，
// 缺少相应的文件，就会失去与之对应的功能。
const char aboutText[] =
    "\xC0\xFB\xD3\xC3Kest\xBF\xC9\xD2\xD4\xB4\xB4\xBD\xA8tar.gz\xB8\xF1\xCA\xBD\xB5\xC4\xD1\xB9"
    "\xCB\xF5\xB0\xFC\xA3\xBB\xBF\xC9\xD2\xD4\xBD\xE2\xD1\xB9tar.gz\xA1\xA2tar\xA1\xA2gz\xA1\xA2"
    "bz2\xA1\xA2rar\xA1\xA2zip\xB8\xF1\xCA\xBD\xB5\xC4\xD1\xB9\xCB\xF5\xCE\xC4\xA3\xBB"
    "\xB5\xABrar\xD3\xEBzip\xD1\xB9\xCB\xF5\xB0\xFC\xB2\xBB\xD6\xA7\xB3\xD6\xD6\xD0\xCE\xC4\xC3\xFB"
    "\xA3\xBBKest\xD4\xCB\xD0\xD0\xD0\xE8\xD2\xAA/bin/tar\xA1\xA2./unrar\xA1\xA2./unzip"
    "\xCE\xC4\xBC\xFE\xD6\xA7\xB3\xD6\xA3\xAC"
    "\xC8\xB1\xC9\xD9\xCF\xE0\xD3\xA6\xB5\xC4\xCE\xC4\xBC\xFE\xA3\xAC\xBE\xCD\xBB\xE1\xCA\xA7"
    "\xC8\xA5\xD3\xEB\xD6\xAE\xB6\xD4\xD3\xA6\xB5\xC4\xB9\xA6\xC4\xDC\xA1\xA3";
// 您将退出应用程序，是否继续？
const char askExit[] = "\xC4\xFA\xBD\xAB\xCD\xCB\xB3\xF6\xD3\xA6\xD3\xC3\xB3\xCC\xD0\xF2"
                       "\xA3\xAC\xCA\xC7\xB7\xF1\xBC\xCC\xD0\xF8\xA3\xBF";
// 创建压缩包
const char compressTitle[] = "\xB4\xB4\xBD\xA8\xD1\xB9\xCB\xF5\xB0\xFC";

// Reason lines under "解压失败！", by the engine's reason.
// %1 未安装
const char reasonNotInstalled[] = "%1 \xCE\xB4\xB0\xB2\xD7\xB0";
// 密码错误
const char reasonWrongPassword[] = "\xC3\xDC\xC2\xEB\xB4\xED\xCE\xF3";
// 不是Kest能打开的压缩包
const char reasonNotAnArchive[] =
    "\xB2\xBB\xCA\xC7Kest\xC4\xDC\xB4\xF2\xBF\xAA\xB5\xC4\xD1\xB9\xCB\xF5\xB0\xFC";
// 目标文件夹不可用
const char reasonTarget[] = "\xC4\xBF\xB1\xEA\xCE\xC4\xBC\xFE\xBC\xD0\xB2\xBB\xBF\xC9\xD3\xC3";
// 压缩包不完整
const char reasonCutShort[] = "\xD1\xB9\xCB\xF5\xB0\xFC\xB2\xBB\xCD\xEA\xD5\xFB";
// 未解压：%1
const char reasonMissing[] = "\xCE\xB4\xBD\xE2\xD1\xB9\xA3\xBA%1";
// 压缩包中有文件指向目标文件夹之外
const char reasonUnsafe[] = "\xD1\xB9\xCB\xF5\xB0\xFC\xD6\xD0\xD3\xD0\xCE\xC4\xBC\xFE\xD6\xB8\xCF\xF2"
                            "\xC4\xBF\xB1\xEA\xCE\xC4\xBC\xFE\xBC\xD0\xD6\xAE\xCD\xE2";
// 目标文件夹中已有压缩包里的文件，是否替换？
const char askReplace[] = "\xC4\xBF\xB1\xEA\xCE\xC4\xBC\xFE\xBC\xD0\xD6\xD0\xD2\xD1\xD3\xD0\xD1\xB9"
                          "\xCB\xF5\xB0\xFC\xC0\xEF\xB5\xC4\xCE\xC4\xBC\xFE\xA3\xAC\xCA\xC7\xB7\xF1"
                          "\xCC\xE6\xBB\xBB\xA3\xBF";
// 无法读取压缩包
const char reasonUnreadable[] = "\xCE\xDE\xB7\xA8\xB6\xC1\xC8\xA1\xD1\xB9\xCB\xF5\xB0\xFC";

// The failure box is 240 pixels wide less its margins: a reason line longer than this is
// shortened in the middle, where a tool's message says least.
constexpr int reasonWidth = 200;

QString gb(const char *bytes)
{
    return QString::fromLatin1(bytes);
}

}  // namespace

MainWindows::MainWindows(const QString &captionKey, const QString &captionDefault, bool editorMode,
                         QWidget *parent, const char *name, WFlags flags)
    : MyClass_ZWidget(captionKey, captionDefault, editorMode, parent, name, flags)
{
    initComponent();
    pTool = new DecompressionTool(pFileEdit->text(), pPathEdit->text());
    pTool->setPasswordHook([this](QString &password) { return askPassword(password); });
    pTool->setReplaceHook([this](const QStringList &existing) { return askReplaceEntries(existing); });
}

MainWindows::MainWindows(const QString &archivePath, const QString &captionKey, const QString &captionDefault,
                         bool editorMode, QWidget *parent, const char *name, WFlags flags)
    : MyClass_ZWidget(captionKey, captionDefault, editorMode, parent, name, flags)
{
    initComponent();
    pFileEdit->setText(EZXLanguage::Text_code_Utf8(archivePath.toLatin1().constData()));
    pTool = new DecompressionTool(pFileEdit->text(), pPathEdit->text());
    pTool->setPasswordHook([this](QString &password) { return askPassword(password); });
    pTool->setReplaceHook([this](const QStringList &existing) { return askReplaceEntries(existing); });
    pPathEdit->setText(pTool->getDefaultDecomPath());
}

MainWindows::~MainWindows()
{
    delete pTool;
}

void MainWindows::initComponent()
{
    pContent = getContentWidget(true);
    pContent->enableClipper(true);

    QWidget *cst = getCSTWidget(true);
    pMenuBtn = new ZPushButton(QStringLiteral("CST_Menu"), cst, 6, -1, -1);
    pMenuBtn->setObjectName(QStringLiteral("pMenuBtn"));
    pMidBtn = new ZPushButton(QString(), cst, 7, -1, -1);
    pMidBtn->setObjectName(QStringLiteral("pMidBtn"));
    pMidBtn->setText(readLabCap(QStringLiteral("Win_MidBtn1"), gb(midExtract)));
    pExitBtn = new ZPushButton(QStringLiteral("CST_Exit"), cst, 5, -1, -1);
    pExitBtn->setObjectName(QStringLiteral("pExitBtn"));
    pMenuBtn->setGeometry(ZGlobal::diffRect(ZGlobal::getCstR(), ZGlobal::getCst3_1R()));
    pMidBtn->setGeometry(ZGlobal::diffRect(ZGlobal::getCstR(), ZGlobal::getCst3_2R()));
    pExitBtn->setGeometry(ZGlobal::diffRect(ZGlobal::getCstR(), ZGlobal::getCst3_3R()));
    connect(pMidBtn, &QPushButton::clicked, this, &MainWindows::slotMidBtnClick);
    connect(pExitBtn, &QPushButton::clicked, this, &MainWindows::slotRightBtnClick);

    pMainMenu = new PopupMenu(this, "pMainMenu");
    pMenuBtn->setPopup(pMainMenu);
    connect(pMainMenu, &PopupMenu::activated, this, &MainWindows::slotMainMenuClick);
    idCreate = pMainMenu->insertItem(readLabCap(QStringLiteral("Win_MainMenu_Item1"), gb(menuCreate)));
    pMainMenu->insertSeparator();
    idAbout = pMainMenu->insertItem(readLabCap(QStringLiteral("Win_MainMenu_About"), gb(menuAbout)));

    QWidget *view = pContent->viewport();
    qLabel1 = new QLabel(view);
    qLabel1->setObjectName(QStringLiteral("qLabel1"));
    qLabel1->setText(readLabCap(QStringLiteral("Win_Item1"), gb(labelFile)));
    qLabel1->adjustSize();
    qLabel1->move(2, 2);

    const int y1 = qLabel1->height() + 2;
    pFileEdit = new ZMultiLineEdit(view, "pFileEdit");
    pFileEdit->setEdited(false);
    pFileEdit->setReadOnly(true);
    pFileEdit->move(2, y1);
    pFileEdit->setFixedWidth(190);

    pFileBtn = new ZPushButton(QStringLiteral("InSet_Picker_Folder"), view, 0, -1, -1);
    pFileBtn->setObjectName(QStringLiteral("pFileBtn"));
    pFileBtn->move(193, y1 + 2);
    connect(pFileBtn, &QPushButton::clicked, this, &MainWindows::slotSelectFile);

    const int y2 = y1 + pFileEdit->height() + 20;
    qLabel2 = new QLabel(view);
    qLabel2->setObjectName(QStringLiteral("qLabel2"));
    qLabel2->setText(readLabCap(QStringLiteral("Win_Item2"), gb(labelTarget)));
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
    connect(pPathBtn, &QPushButton::clicked, this, &MainWindows::slotSelectPath);
}

void MainWindows::slotMidBtnClick()
{
    decompressionFiel();
}

void MainWindows::slotRightBtnClick()
{
    const QString text = nameLine() + readLabCap(QStringLiteral("Msg_AskInfo_Items1"), gb(askExit));
    if (showMsgAskDlg(text) == 0)
        close();
}

void MainWindows::slotMainMenuClick(int id)
{
    if (id == idAbout)
        displayAboutInfo();
    if (id == idCreate)
        displayCompressWin();
}

// Where a picker starts: the folder of the archive (or of the chosen target) when there is
// one, else the memory card.
QString MainWindows::pickerStart() const
{
    for (const QString &path : {pFileEdit->text(), pPathEdit->text()}) {
        if (path.isEmpty())
            continue;
        const QFileInfo info(path);
        if (info.isDir())
            return info.absoluteFilePath();
        if (info.dir().exists())
            return info.absolutePath();
    }
    return phonePath(QStringLiteral("/mmc/mmca1"));
}

void MainWindows::slotSelectFile()
{
    auto *picker = new ZOpenDlg(archivePickerFilters(), pickerStart(), false, this);
    picker->exec();
    const QString file = picker->getFile();
    delete picker;
    if (file.isEmpty())
        return;
    pFileEdit->setText(file);
    pTool->setFileName(pFileEdit->text());
    // A new archive brings its own default folder, whatever was picked before.
    pPathEdit->setText(pTool->getDefaultDecomPath());
}

void MainWindows::slotSelectPath()
{
    auto *picker = new ZSelectFolderDlg(pickerStart(), this);
    picker->exec();
    const QString folder = picker->getSelected();
    delete picker;
    if (!folder.isEmpty())
        pPathEdit->setText(folder);
}

// The name line that heads the About box and the exit question.
QString MainWindows::nameLine() const
{
    return readLabCap(QStringLiteral("AppName"), gb(appName)) + QStringLiteral("Ver: " EZX_VERSION)
           + QStringLiteral("\r\n\r\n");
}

void MainWindows::displayAboutInfo()
{
    showMsgHintDlg(nameLine() + readLabCap(QStringLiteral("AppAbout"), gb(aboutText)));
}

void MainWindows::decompressionFiel()
{
    if (pFileEdit->text().isEmpty() || pPathEdit->text().isEmpty())
        return;
    if (showMsgAskDlg(readLabCap(QStringLiteral("Msg_AskInfo_Items2"), gb(askExtract))) != 0)
        return;

    auto *progress = new MyClass_ProgressDlg(QStringLiteral("Dlg_Progress_Info1"), gb(progressExtract), this,
                                             "progressDlg", 1, 0x41, MyClass_Dlg::Dlg_Small);
    progress->showProgressDlg();
    pTool->setFileName(pFileEdit->text());
    int result = -1;
    // A folder that went away since it was picked is refused; extracting into the folder
    // accepted before would put the files where the screen does not say.
    QString reason;
    if (pTool->setDecomPath(pPathEdit->text())) {
        JobMeter meter;
        setShellWatch([progress, &meter](int job) {
            progress->setProgress(meter.sample(job));
            progress->keepAlive();
            return progress->cancelRequested();
        });
        result = pTool->decompressionFile();
        setShellWatch(nullptr);
        reason = reasonLine(pTool->failure());
    } else {
        reason = reasonLine({DecompressionTool::Failure::TargetUnusable, QString()});
    }
    // The password box was cancelled, or replacing declined: the user knows, and nothing
    // was done.
    if (result == DecompressionTool::NoPassword || result == DecompressionTool::NotReplaced) {
        delete progress;
        return;
    }
    if (result == DecompressionTool::Cancelled) {
        showMsgHintDlg(readLabCap(QStringLiteral("Msg_HintInfo_Items6"), gb(hintCancelled)));
    } else if (result == 1) {
        showMsgHintDlg(readLabCap(QStringLiteral("Msg_HintInfo_Items1"), gb(hintExtracted)));
    } else {
        const QString failed = readLabCap(QStringLiteral("Msg_HintInfo_Items2"), gb(hintExtractFailed));
        showMsgHintDlg(reason.isEmpty() ? failed : failed + QLatin1Char('\n') + reason);
    }
    delete progress;
}

// Asked by the engine when an archive needs a password.
bool MainWindows::askPassword(QString &password)
{
    MyClass_PasswordDlg box(QFileInfo(pFileEdit->text()).fileName(), this, "passwordDlg");
    if (box.exec() != QDialog::Accepted)
        return false;
    password = box.password();
    return true;
}

// Asked by the engine before entries already in the target folder are replaced: the
// question, then the first of them (and how many more).
bool MainWindows::askReplaceEntries(const QStringList &existing)
{
    QString first = QFontMetrics(font()).elidedText(existing.value(0), Qt::ElideMiddle, reasonWidth);
    if (existing.size() > 1)
        first += QStringLiteral(" (+%1)").arg(existing.size() - 1);
    const QString text =
        readLabCap(QStringLiteral("Msg_AskInfo_Items4"), gb(askReplace)) + QLatin1Char('\n') + first;
    return showMsgAskDlg(text, readLabCap(QStringLiteral("Msg_Ask_Button3"), gb(buttonReplace)),
                         readLabCap(QStringLiteral("Msg_Ask_Button4"), gb(buttonCancel)))
           == 0;
}

// One short line that says why an extraction failed; empty when there is nothing to add.
QString MainWindows::reasonLine(const DecompressionTool::Failure &failure) const
{
    using F = DecompressionTool::Failure;
    QString line;
    switch (failure.reason) {
    case F::None:
    case F::PasswordNeeded:
    case F::Cancelled:
    case F::NotReplaced: return QString();
    case F::NotAnArchive:
        line = readLabCap(QStringLiteral("Msg_Reason_Items3"), gb(reasonNotAnArchive));
        break;
    case F::TargetUnusable: line = readLabCap(QStringLiteral("Msg_Reason_Items4"), gb(reasonTarget)); break;
    case F::NotInstalled:
        line = readLabCap(QStringLiteral("Msg_Reason_Items1"), gb(reasonNotInstalled));
        line.replace(QLatin1String("%1"), failure.detail);
        break;
    case F::ToolMessage: line = failure.detail; break;
    case F::Unreadable: line = readLabCap(QStringLiteral("Msg_Reason_Items8"), gb(reasonUnreadable)); break;
    case F::CutShort: line = readLabCap(QStringLiteral("Msg_Reason_Items5"), gb(reasonCutShort)); break;
    case F::MembersMissing:
        line = readLabCap(QStringLiteral("Msg_Reason_Items6"), gb(reasonMissing));
        line.replace(QLatin1String("%1"), failure.detail);
        break;
    case F::UnsafeMember: line = readLabCap(QStringLiteral("Msg_Reason_Items7"), gb(reasonUnsafe)); break;
    case F::PasswordWrong:
        line = readLabCap(QStringLiteral("Msg_Reason_Items2"), gb(reasonWrongPassword));
        break;
    }
    return QFontMetrics(font()).elidedText(line.simplified(), Qt::ElideMiddle, reasonWidth);
}

void MainWindows::displayCompressWin()
{
    auto *win =
        new CompressWin(readLabCap(QStringLiteral("Win_Caption2"), gb(compressTitle)), false, this, "win", 1);
    // A full-screen window: it covers the phone screen, where this window is.
    win->move(pos());
    win->show();
}
