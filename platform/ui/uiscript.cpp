// SPDX-License-Identifier: GPL-2.0-or-later
#include "uiscript.h"

#include "popupmenu.h"
#include "zapplication.h"
#include "zglobal.h"
#include "zmainwidget.h"
#include "zmessagebox.h"
#include "zpickers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QWindow>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

void UiScript::startFromEnvironment()
{
    const QByteArray script = qgetenv("EZX_UI_SCRIPT");
    if (!script.isEmpty())
        start(QString::fromUtf8(script));
}

UiScript *UiScript::start(const QString &script, int delayMs)
{
    QStringList steps;
    for (const QString &step : script.split(QRegularExpression(QStringLiteral("[;\n]"))))
        if (!step.trimmed().isEmpty())
            steps.append(step.trimmed());
    auto *runner = new UiScript(steps);
    runner->setParent(qApp);
    QTimer::singleShot(delayMs, runner, [runner] { runner->runNext(); });
    return runner;
}

UiScript::UiScript(const QStringList &s) : steps(s) {}

void UiScript::runNext()
{
    if (next >= steps.size()) {
        emit finished();
        deleteLater();
        return;
    }
    const QString step = steps.at(next++);
    int delay = 50;
    if (step.startsWith(QLatin1String("wait ")))
        delay = step.mid(5).trimmed().toInt();
    // The next step is due before this one runs: a click may open a modal box whose own event
    // loop then carries the script on.
    QTimer::singleShot(delay, this, [this] { runNext(); });
    if (!step.startsWith(QLatin1String("wait ")) && !run(step))
        std::fprintf(stderr, "ui script: cannot do \"%s\"\n", step.toLocal8Bit().constData());
}

QList<QWidget *> UiScript::windowsInOrder()
{
    QList<QWidget *> order;
    const auto add = [&order](QWidget *w) {
        if (w)
            w = w->window();
        if (w && w->isVisible() && !order.contains(w))
            order.append(w);
    };
    const QWidgetList tops = QApplication::topLevelWidgets();
    add(QApplication::activePopupWidget());
    add(QApplication::activeModalWidget());
    // The window system's focus is news before the widgets' active window follows it.
    for (QWidget *top : tops)
        if (top->windowHandle() && top->windowHandle() == QGuiApplication::focusWindow())
            add(top);
    add(QApplication::activeWindow());
    add(QApplication::focusWidget());
    QWidget *main = nullptr;
    if (auto *app = qobject_cast<ZApplication *>(qApp))
        main = app->mainWidget();
    for (QWidget *top : tops)
        if (top->windowType() == Qt::Popup)
            add(top);
    for (QWidget *top : tops)
        if (top->isModal())
            add(top);
    for (QWidget *top : tops)
        if (top != main)
            add(top);
    add(main);
    return order;
}

namespace {

template <typename T> T findVisible(const QString &name)
{
    for (QWidget *top : UiScript::windowsInOrder()) {
        if (auto *w = qobject_cast<T>(top); w && (name.isEmpty() || top->objectName() == name))
            return w;
        for (T w : top->findChildren<T>(name.isEmpty() ? QString() : name))
            if (w->isVisible())
                return w;
    }
    return nullptr;
}

int keyFor(const QString &name)
{
    static const struct
    {
        const char *name;
        int key;
    } keys[] = {
        {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}, {"Escape", Qt::Key_Escape},
        {"Space", Qt::Key_Space},   {"Tab", Qt::Key_Tab},     {"Backtab", Qt::Key_Backtab},
        {"Left", Qt::Key_Left},     {"Right", Qt::Key_Right}, {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down},     {"F1", Qt::Key_F1},       {"F2", Qt::Key_F2},
        {"F3", Qt::Key_F3},         {"Menu", Qt::Key_Menu},
    };
    for (const auto &k : keys)
        if (name == QLatin1String(k.name))
            return k.key;
    return 0;
}

// "3/2": item 2 of the submenu behind item 3. The last id may name a submenu entry, which
// opens that submenu where the menu is open.
bool chooseMenuItem(PopupMenu *menu, const QString &path)
{
    const QStringList ids = path.split(QLatin1Char('/'));
    QList<int> chain;
    for (const QString &id : ids) {
        bool number = false;
        chain.append(id.trimmed().toInt(&number));
        if (!number)
            return false;
    }
    PopupMenu *at = menu;
    for (int i = 0; i + 1 < chain.size(); ++i) {
        QAction *entry = at->findItem(chain.at(i));
        at = entry && entry->isEnabled() ? at->submenu(chain.at(i)) : nullptr;
        if (!at)
            return false;
    }
    QAction *entry = at->findItem(chain.last());
    if (entry && at->submenu(chain.last())) {
        if (!entry->isEnabled() || !at->isVisible())
            return false;
        at->setActiveAction(entry);
        return true;
    }
    return at->activateItem(chain.last());
}

}  // namespace

bool UiScript::run(const QString &step)
{
    const QString verb = step.section(QLatin1Char(' '), 0, 0);
    const QString rest = step.section(QLatin1Char(' '), 1).trimmed();
    if (verb == QLatin1String("click")) {
        auto *button = findVisible<QAbstractButton *>(rest);
        if (!button)
            return false;
        button->click();
        return true;
    }
    if (verb == QLatin1String("menu")) {
        auto *menu = findVisible<PopupMenu *>(QString());
        return menu && chooseMenuItem(menu, rest);
    }
    if (verb == QLatin1String("answer")) {
        auto *box = findVisible<ZMessageBox *>(QString());
        QPushButton *button = box ? box->button(rest.toInt()) : nullptr;
        if (!button)
            return false;
        button->click();
        return true;
    }
    if (verb == QLatin1String("pick")) {
        const QStringList paths = rest.split(QLatin1Char('|'));
        if (auto *open = findVisible<ZOpenDlg *>(QString())) {
            open->setSelection(paths);
            open->accept();
            return true;
        }
        if (auto *folder = findVisible<ZSelectFolderDlg *>(QString())) {
            folder->setSelected(paths.first());
            folder->accept();
            return true;
        }
        return false;
    }
    if (verb == QLatin1String("row")) {
        auto *list = findVisible<QListWidget *>(rest.section(QLatin1Char(' '), 0, 0));
        if (!list)
            return false;
        list->setCurrentRow(rest.section(QLatin1Char(' '), 1, 1).toInt());
        return true;
    }
    if (verb == QLatin1String("text")) {
        auto *edit = findVisible<QLineEdit *>(rest.section(QLatin1Char(' '), 0, 0));
        if (!edit)
            return false;
        edit->setText(rest.section(QLatin1Char(' '), 1));
        return true;
    }
    const QList<QWidget *> windows = windowsInOrder();
    QWidget *active = windows.isEmpty() ? nullptr : windows.first();
    if (verb == QLatin1String("key")) {
        const int key = keyFor(rest);
        QWidget *target = active && active->focusWidget() ? active->focusWidget() : active;
        if (!key || !target)
            return false;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
        return true;
    }
    if (verb == QLatin1String("close")) {
        if (auto *window = qobject_cast<ZMainWidget *>(active))
            window->requestClose();
        else if (active)
            active->close();
        return active != nullptr;
    }
    if (verb == QLatin1String("icon"))
        return active && active->windowIcon().pixmap(QSize(64, 64)).save(rest, "PNG");
    if (verb == QLatin1String("shot"))
        return grabPhoneScreen().save(rest, "PNG");
    if (verb == QLatin1String("quit")) {
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(rest.isEmpty() ? 0 : rest.toInt());
    }
    return false;
}

QImage UiScript::grabPhoneScreen()
{
    QImage screen(ZGlobal::screenWidth, ZGlobal::screenHeight, QImage::Format_ARGB32);
    screen.fill(Qt::black);
    QWidget *main = nullptr;
    if (auto *app = qobject_cast<ZApplication *>(qApp))
        main = app->mainWidget();
    QList<QWidget *> windows, dialogs, popups;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        if (top->windowType() == Qt::Popup || qobject_cast<QMenu *>(top))
            popups.append(top);
        else if (top->windowType() == Qt::Dialog)
            dialogs.append(top);
        else
            windows.append(top);
    }
    if (!main && !windows.isEmpty())
        main = windows.first();
    const QPoint origin = main ? main->geometry().topLeft() : QPoint(0, 0);
    // The main window first, then the program's other full windows, newest last.
    if (main && windows.removeAll(main))
        windows.prepend(main);
    // A box asked while another is up (a question over a progress box) is the one on top.
    if (QWidget *modal = QApplication::activeModalWidget(); modal && dialogs.removeAll(modal))
        dialogs.append(modal);
    QPainter painter(&screen);
    for (const QList<QWidget *> &layer : {windows, dialogs, popups})
        for (QWidget *w : layer)
            w->render(&painter, w->geometry().topLeft() - origin, QRegion(),
                      QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return screen;
}
