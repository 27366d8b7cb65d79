#include "engine/QTemplate.h"

#include "editor/TextUtils.h"
#include "engine/EventPacer.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <limits>

namespace {

const QString multiLineKey = QStringLiteral("global/multiline");
const QString templateKey = QStringLiteral("global/template");
const QString metaCountsKey = QStringLiteral("global/metacounts");

QString contentKey(int n) { return QStringLiteral("column%1/content").arg(n); }
QString snippetKey(int n) { return QStringLiteral("column%1/snippet").arg(n); }

// A value as the INI text gives it back, so that what was set (a bool, an int) compares with what is read
// (its text); a list keeps its items apart.
QString comparable(const QVariant& value)
{
    if (value.type() == QVariant::StringList)
        return QStringLiteral("list:") + value.toStringList().join(QChar(0x1f));
    return QStringLiteral("text:") + value.toString();
}

QMap<QString, QString> contents(const QSettings& settings)
{
    QMap<QString, QString> map;
    const QStringList keys = settings.allKeys();
    for (const QString& key : keys)
        map.insert(key, comparable(settings.value(key)));
    return map;
}

} // namespace

QTemplate::QTemplate(const QString& path, const TemplateDefaults& defaults, QObject* parent)
    : QObject(parent), m_path(path), m_defaults(defaults)
{
    read();
}

QTemplate::~QTemplate() = default;

void QTemplate::read()
{
    // Parsed through a copy of its own: settings objects on one path share what an earlier one parsed, and
    // take it for current when the file's size and time stamp look unchanged.
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(QStringLiteral("read.s"));
    const QFileInfo source(m_path);
    const bool unreadable = source.exists() && (!source.isFile() || !scratch.isValid() || !QFile::copy(m_path, copy));
    const QSettings settings(copy, QSettings::IniFormat);
    m_multiLine = readBool(settings, multiLineKey, true);
    m_template = readString(settings, templateKey, QString());
    m_metaCounts = readInt(settings, metaCountsKey, m_defaults.startColumns);

    // The count comes from the file and may be anything; the row shows no more than MaxColumns.
    const int toRead = qBound(0, m_metaCounts, MaxColumns);
    const QString& prefix = m_defaults.prefix;
    const QString& suffix = m_defaults.suffix;
    EventPacer pacer;
    for (int n = 0; n < toRead; ++n) {
        pacer.poll();
        const QString content = readString(settings, contentKey(n), QString());
        // One pass, so that a '%' in the prefix is not taken for a place holder.
        const QString snippet = readString(settings, snippetKey(n),
                                           QStringLiteral("%1%2%3").arg(prefix, QString::number(n + 1), suffix));
        m_columns.append(Column(content, snippet));
    }

    m_status = unreadable ? QSettings::AccessError : settings.status();
    // Nothing is known about a file that could not be read, so a save must write the whole state.
    if (m_status == QSettings::AccessError)
        markAllUnsaved();
}

void QTemplate::setMultiLine(bool multiLine)
{
    if (multiLine == m_multiLine)
        return;
    m_multiLine = multiLine;
    m_multiLineUnsaved = true;
}

void QTemplate::setTemplate(const QString& text)
{
    if (text == m_template)
        return;
    m_template = text;
    m_templateUnsaved = true;
}

void QTemplate::setMetaCounts(int count)
{
    if (count == m_metaCounts)
        return;
    m_metaCounts = count;
    m_metaCountsUnsaved = true;
}

void QTemplate::setColumns(const QList<Column>& columns)
{
    const QList<Column> kept = columns.mid(0, MaxColumns);
    if (kept == m_columns)
        return;
    m_columns = kept;
    m_columnsUnsaved = true;
    setMetaCounts(m_columns.size());
}

bool QTemplate::hasUnsavedChanges() const
{
    return m_multiLineUnsaved || m_templateUnsaved || m_metaCountsUnsaved || m_columnsUnsaved;
}

void QTemplate::markAllUnsaved()
{
    m_multiLineUnsaved = m_templateUnsaved = m_metaCountsUnsaved = m_columnsUnsaved = true;
}

bool QTemplate::sync()
{
    // A file that is missing, or was deleted since, gets the whole state, so that it exists afterwards.
    if (!QFileInfo(m_path).isFile())
        markAllUnsaved();
    if (!hasUnsavedChanges()) {
        m_status = QSettings::NoError;
        return true;
    }
    if (!writeFile()) {
        m_status = QSettings::AccessError;
        return false;
    }
    m_status = QSettings::NoError;
    m_multiLineUnsaved = m_templateUnsaved = m_metaCountsUnsaved = m_columnsUnsaved = false;
    return true;
}

void QTemplate::writeChanges(QSettings& settings) const
{
    if (m_multiLineUnsaved)
        settings.setValue(multiLineKey, m_multiLine);
    if (m_templateUnsaved)
        settings.setValue(templateKey, m_template);
    if (m_columnsUnsaved) {
        for (int n = 0; n < m_columns.size(); ++n) {
            settings.setValue(contentKey(n), m_columns.at(n).first);
            settings.setValue(snippetKey(n), m_columns.at(n).second);
        }
    }
    // The count bounds the groups just written, so it goes with them even when it did not change: a file
    // without it would be read with the start-columns preference of the day.
    if (m_metaCountsUnsaved || m_columnsUnsaved)
        settings.setValue(metaCountsKey, m_metaCounts);
}

bool QTemplate::writeFile() const
{
    // The settings library reports success for a short write (a full disk, a size limit) and then has
    // already replaced the file with the truncated one. So the changes go into a draft first, which is
    // parsed again and compared with what was meant before it replaces the file.
    const QFileInfo target(m_path);
    if (target.isDir())
        return false;
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    const QString draft = scratch.filePath(QStringLiteral("draft.s"));
    // Keys the program does not know are kept: the draft starts as a copy of the file.
    // A special file (a FIFO, a device) is not read back: it gets the whole state, as sync() marks it.
    if (target.isFile() && !QFile::copy(m_path, draft))
        return false;

    QMap<QString, QString> intended;
    {
        QSettings settings(draft, QSettings::IniFormat);
        writeChanges(settings);
        settings.sync();
        // A FormatError only says the old file was malformed; the check below tells whether the draft is good.
        if (settings.status() == QSettings::AccessError)
            return false;
        intended = contents(settings);
    }

    // Parsed under another name: settings objects on one path share what was parsed or written before.
    const QString check = scratch.filePath(QStringLiteral("check.s"));
    if (!QFile::rename(draft, check))
        return false;
    {
        const QSettings settings(check, QSettings::IniFormat);
        if (settings.status() != QSettings::NoError || contents(settings) != intended)
            return false;
    }

    QFile in(check);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    if (bytes.size() != in.size())
        return false;

    if (!writeFileBytes(m_path, bytes))
        return false;
    // A short write that the system did not report shows in the size of a regular file.
    const QFileInfo written(m_path);
    return !written.isFile() || written.size() == bytes.size();
}

bool QTemplate::readBool(const QSettings& settings, const QString& key, bool defaultValue)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return defaultValue;
    if (value.type() == QVariant::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return defaultValue;
}

QString QTemplate::readString(const QSettings& settings, const QString& key, const QString& defaultValue)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with commas, as a hand-edited file may hold, is read by the settings as a list.
    if (value.type() == QVariant::StringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

int QTemplate::readInt(const QSettings& settings, const QString& key, int defaultValue)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok)
        return defaultValue;
    return static_cast<int>(
        qBound<qlonglong>(std::numeric_limits<int>::min(), number, std::numeric_limits<int>::max()));
}
