// SPDX-License-Identifier: GPL-2.0-or-later
#include "uiscript.h"

#include "popupmenu.h"
#include "zapplication.h"
#include "zglobal.h"
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
#include <QWidget>
#include <cstdio>
#include <unistd.h>

void UiScript::startFromEnvironment()
{
    const QByteArray script = qgetenv("EZX_UI_SCRIPT");
    if (!script.isEmpty())
        start(QString::fromUtf8(script));
}

void UiScript::start(const QString &script, int delayMs)
{
    QStringList steps;
    for (const QString &step : script.split(QRegularExpression(QStringLiteral("[;\n]"))))
        if (!step.trimmed().isEmpty())
            steps.append(step.trimmed());
    auto *runner = new UiScript(steps);
    runner->setParent(qApp);
    QTimer::singleShot(delayMs, runner, [runner] { runner->runNext(); });
}

UiScript::UiScript(const QStringList &s) : steps(s) {}

void UiScript::runNext()
{
    if (next >= steps.size())
        return;
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

namespace {

template <typename T> T findVisible(const QString &name)
{
    // Newest windows first: an open box or menu is the likeliest target.
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (auto it = tops.crbegin(); it != tops.crend(); ++it) {
        QWidget *top = *it;
        if (!top->isVisible())
            continue;
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
        {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}, {"Left", Qt::Key_Left},
        {"Right", Qt::Key_Right},   {"Up", Qt::Key_Up},       {"Down", Qt::Key_Down},
        {"Escape", Qt::Key_Escape},
    };
    for (const auto &k : keys)
        if (name == QLatin1String(k.name))
            return k.key;
    return 0;
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
        return menu && menu->activateItem(rest.toInt());
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
    if (verb == QLatin1String("key")) {
        const int key = keyFor(rest);
        QWidget *target = QApplication::focusWidget();
        if (!target)
            target = QApplication::activeWindow();
        if (!target) {
            auto *app = qobject_cast<ZApplication *>(qApp);
            target = app ? app->mainWidget() : nullptr;
        }
        if (!key || !target)
            return false;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
        return true;
    }
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
    QPainter painter(&screen);
    for (const QList<QWidget *> &layer : {windows, dialogs, popups})
        for (QWidget *w : layer)
            w->render(&painter, w->geometry().topLeft() - origin, QRegion(),
                      QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return screen;
}
