// SPDX-License-Identifier: GPL-2.0-or-later
#include "faketools.h"

#include <QFile>

namespace {

QString fakeToolScript()
{
    return qEnvironmentVariable("EZX_TEST_SOURCE_DIR") + QStringLiteral("/tests/kest/fake-tools/faketool.sh");
}

}  // namespace

FakeTools::FakeTools() : savedPath(qgetenv("PATH"))
{
    const QString script = fakeToolScript();
    for (const char *tool : {"tar", "unzip", "unrar", "lsar", "unar", "7zz", "cp", "mkdir", "chmod", "rm"})
        QFile::link(script, bin.filePath(QString::fromLatin1(tool)));
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + savedPath);
    setVariable("FAKE_TOOL_PATH", savedPath);
    setVariable("FAKE_TOOL_LOG", QFile::encodeName(logPath()));
    setVariable("FAKE_TOOL_REAL", "cp mkdir chmod rm");
    printOnRun("lsar", R"({"lsarContents": []})");
}

FakeTools::~FakeTools()
{
    qputenv("PATH", savedPath);
    for (const QByteArray &name : variables)
        qunsetenv(name.constData());
}

void FakeTools::setVariable(const QByteArray &name, const QByteArray &value)
{
    if (!variables.contains(name))
        variables << name;
    qputenv(name.constData(), value);
}

void FakeTools::exitWith(const QByteArray &tool, const QByteArray &code)
{
    setVariable("FAKE_EXIT_" + tool, code);
}

void FakeTools::printOnRun(const QByteArray &tool, const QByteArray &output)
{
    setVariable("FAKE_OUTPUT_" + tool, output);
}

void FakeTools::recordOnly(const QByteArray &tools)
{
    setVariable("FAKE_TOOL_REAL", tools);
}

void FakeTools::clear()
{
    QFile::remove(logPath());
}

QString FakeTools::logPath() const
{
    return bin.filePath(QStringLiteral("calls.log"));
}

QList<FakeTools::Command> FakeTools::commands(bool withListings) const
{
    QList<Command> result;
    for (const Record &record : records(withListings))
        result << (Command{record.tool} + record.args);
    return result;
}

QStringList FakeTools::inputs() const
{
    QStringList result;
    for (const Record &record : records(false))
        result << record.input;
    return result;
}

QList<FakeTools::Record> FakeTools::records(bool withListings) const
{
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> fields = file.readAll().split('\0');
    QList<Record> result;
    for (int i = 0; i + 2 < fields.size();) {
        const int count = fields.at(i).toInt();
        Record record{QString::fromUtf8(fields.at(i + 1)), QString::fromUtf8(fields.at(i + 2)), {}};
        for (int n = 0; n < count; ++n)
            record.args << QString::fromUtf8(fields.value(i + 3 + n));
        const QString first = record.args.value(0);
        const QString &tool = record.tool;
        const bool listing =
            (tool == QLatin1String("tar") && first.endsWith(QLatin1String("tvf")))
            || (tool == QLatin1String("tar") && record.args.value(1) == QLatin1String("-tvf"))
            || (tool == QLatin1String("unzip") && first == QLatin1String("-Z"))
            || (tool == QLatin1String("unrar") && first == QLatin1String("l"))
            || (tool == QLatin1String("7zz") && first == QLatin1String("l")) || tool == QLatin1String("lsar");
        if (withListings || !listing)
            result << record;
        i += 3 + count;
    }
    return result;
}
