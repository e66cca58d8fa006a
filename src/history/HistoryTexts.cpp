#include "history/HistoryTexts.h"

#include <QDateTime>
#include <QRegularExpression>

#include <cmath>
#include <cstdlib>

namespace {

struct RangeWords {
    const char* range; // "in the last 30 days"
    const char* before; // "the 30 days before"
};

RangeWords WordsOf(HistoryRange range)
{
    switch (range) {
    case HistoryRange::Last24Hours: return {"in the last 24 hours", "the 24 hours before"};
    case HistoryRange::Last7Days: return {"in the last 7 days", "the 7 days before"};
    case HistoryRange::Last30Days: return {"in the last 30 days", "the 30 days before"};
    case HistoryRange::Last90Days: return {"in the last 90 days", "the 90 days before"};
    case HistoryRange::Last12Months: return {"in the last 12 months", "the 12 months before"};
    case HistoryRange::SinceTheHistoryBegan: return {"since the history began", nullptr};
    }
    return {"", nullptr};
}

QString Comparison(std::int64_t hits, std::int64_t previousHits, const QLocale& locale, const char* before)
{
    const QString than = QString::fromLatin1(before);
    if (hits == previousHits)
        return QStringLiteral("as many as ") + than;
    const char* direction = hits > previousHits ? " more than " : " fewer than ";
    // Both counts are at most the largest int64, so their difference fits.
    const long double change = static_cast<long double>(hits > previousHits ? hits - previousHits : previousHits - hits)
        * 100 / static_cast<long double>(previousHits);
    const long double rounded = std::round(change);
    if (rounded < 1)
        return QStringLiteral("less than 1") + locale.percent() + QString::fromLatin1(direction) + than;
    return locale.toString(static_cast<double>(rounded), 'f', 0) + locale.percent() + QString::fromLatin1(direction)
        + than;
}

} // namespace

QString HitsText(std::int64_t hits, const QLocale& locale)
{
    return locale.toString(static_cast<qint64>(hits)) + (hits == 1 ? QStringLiteral(" hit") : QStringLiteral(" hits"));
}

QString HistorySummary(
    HistoryRange range, std::int64_t hits, std::optional<std::int64_t> previousHits, const QLocale& locale)
{
    const RangeWords words = WordsOf(range);
    QString summary = HitsText(hits, locale) + QLatin1Char(' ') + QString::fromLatin1(words.range);
    if (words.before && previousHits && *previousHits > 0)
        summary += QStringLiteral(", ") + Comparison(hits, *previousHits, locale, words.before);
    return summary;
}

QString DayAndMonthFormat(const QLocale& locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression year(QStringLiteral("y+"));
    const QRegularExpressionMatch found = year.match(format);
    if (!found.hasMatch())
        return format;
    qsizetype from = found.capturedStart();
    qsizetype to = found.capturedEnd();
    const auto isField = [&](qsizetype at) { return format[at].isLetter(); };
    bool fieldAfter = false;
    for (qsizetype at = to; at < format.size(); ++at)
        fieldAfter = fieldAfter || isField(at);
    if (fieldAfter) {
        // A leading year takes the separator after it with it: "yyyy-MM-dd" gives "MM-dd".
        while (to < format.size() && !isField(to))
            ++to;
    } else {
        // A trailing year takes the separator before it: "M/d/yy" gives "M/d".
        while (from > 0 && !isField(from - 1))
            --from;
    }
    format.remove(from, to - from);
    return format.trimmed();
}

BarTexts TextsOfBar(BarUnit unit, std::int64_t start, const QTimeZone& zone, const QLocale& locale, bool firstBar)
{
    const QDateTime at = QDateTime::fromSecsSinceEpoch(start, zone);
    const QDate date = at.date();
    switch (unit) {
    case BarUnit::Hour:
        return {locale.toString(at.time(), QLocale::ShortFormat),
            locale.toString(date, QLocale::ShortFormat) + QLatin1Char(' ')
                + locale.toString(at.time(), QLocale::ShortFormat),
            at.toString(Qt::ISODate).toStdString()};
    case BarUnit::Day:
        return {locale.toString(date, DayAndMonthFormat(locale)),
            locale.dayName(date.dayOfWeek(), QLocale::ShortFormat) + QLatin1Char(' ')
                + locale.toString(date, QLocale::ShortFormat),
            date.toString(Qt::ISODate).toStdString()};
    case BarUnit::Month: {
        QString axis = locale.standaloneMonthName(date.month(), QLocale::ShortFormat);
        if (date.month() == 1 || firstBar)
            axis += QLatin1Char(' ') + locale.toString(date, QStringLiteral("yyyy"));
        return {axis,
            locale.standaloneMonthName(date.month(), QLocale::LongFormat) + QLatin1Char(' ')
                + locale.toString(date, QStringLiteral("yyyy")),
            date.toString(QStringLiteral("yyyy-MM")).toStdString()};
    }
    }
    return {};
}
