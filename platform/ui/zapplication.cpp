// SPDX-License-Identifier: GPL-2.0-or-later
#include "zapplication.h"

#include "focusframe.h"
#include "uiscript.h"

#include <QFile>
#include <QFont>
#include <QStyleFactory>
#include <QTimer>
#include <QWidget>

namespace {

// Gives the application its program's icon a moment after the first window has been painted:
// loading the SVG plugins that draw it takes some 5 ms, which the window's first frames need
// not wait for.
class IconAfterFirstPaint : public QObject
{
public:
    explicit IconAfterFirstPaint(const QString &program) : QObject(qApp), program(program)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->isWindow()) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(100, this, [this] {
                qApp->setWindowIcon(ZApplication::programIcon(program));
                deleteLater();
            });
        }
        return false;
    }

private:
    QString program;
};

bool isProgram(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/'))
           && QFile::exists(QStringLiteral(":/ezx/icons/%1.svg").arg(name));
}

}  // namespace

ZApplication::ZApplication(int &argc, char **argv, int) : QApplication(argc, argv)
{
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        setStyle(fusion);
    QFont small = font();
    small.setPixelSize(13);
    setFont(small);
    FocusFrame::install();
    if (isProgram(applicationName())) {
        new IconAfterFirstPaint(applicationName());
        // Where windows carry no icon of their own (Wayland), the desktop entry names it.
        setDesktopFileName(applicationName());
    }
    UiScript::startFromEnvironment();
}

QIcon ZApplication::programIcon(const QString &program)
{
    // The icons of data/icons, built into the platform library.
    return isProgram(program) ? QIcon(QStringLiteral(":/ezx/icons/%1.svg").arg(program)) : QIcon();
}

ZApplication::~ZApplication() = default;

void ZApplication::setMainWidget(QWidget *w)
{
    main = w;
}

QWidget *ZApplication::mainWidget() const
{
    return main;
}

void ZApplication::showMainWidget(QWidget *w)
{
    setMainWidget(w);
    if (w)
        w->show();
}

void ZApplication::slotQuickQuit()
{
    quit();
}
