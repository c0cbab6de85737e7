#include "DateTime.h"

#include "SysUtils.h"

#include <QRegularExpression>
#include <bit>
#include <chrono>
#include <cmath>
#include <limits>
#include <tuple>

namespace {

const QDate kEpoch(1899, 12, 30);
// Days from 0000-03-01 to 1899-12-30.
constexpr qint64 kEpochFromMarch = 693899;

std::function<TDateTime()>& NowOverride() {
    static std::function<TDateTime()> f;
    return f;
}

std::function<uint32_t()>& TicksOverride() {
    static std::function<uint32_t()> f;
    return f;
}

// Whole days and milliseconds of the day; a time that rounds up to midnight carries over.
void Split(TDateTime value, qint64& days, qint64& msecs) {
    days = qint64(std::trunc(value));
    msecs = qint64(std::llround(std::fabs(value - double(days)) * MSecsPerDay));
    if (msecs >= qint64(MSecsPerDay)) {
        msecs -= qint64(MSecsPerDay);
        days += value < 0 ? -1 : 1;
    }
}

// The civil date of a day count in the proleptic Gregorian calendar.
void DayToDate(qint64 days, int& year, int& month, int& day) {
    // By whole 400-year eras counted from 0000-03-01 (which puts the leap day last in its year).
    const qint64 z = days + kEpochFromMarch;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 dayOfEra = z - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 mp = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    const qint64 y = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    // As QDate counts: no year 0, the year before 1 is -1.
    year = int(y <= 0 ? y - 1 : y);
}

void MSecsToTime(qint64 ms, int& hour, int& min, int& sec, int& msec) {
    hour = int(ms / 3600000);
    min = int(ms / 60000 % 60);
    sec = int(ms / 1000 % 60);
    msec = int(ms % 1000);
}

QString Pad(int value, int width) {
    return QString::number(value).rightJustified(width, '0');
}

// The Japanese eras as the system calendar keeps them, with their first days.
struct TSystemEra {
    const char16_t* Name;
    int Year, Month, Day;
};
const TSystemEra SystemEras[] = {{u"令和", 2019, 5, 1},
                                 {u"平成", 1989, 1, 8},
                                 {u"昭和", 1926, 12, 25},
                                 {u"大正", 1912, 7, 30},
                                 {u"明治", 1868, 9, 8}};

// The era of a date and the year within it; no era (and the plain year) before the first.
std::pair<QString, int> EraOf(int year, int month, int day) {
    for (const TSystemEra& era : SystemEras)
        if (std::tuple(year, month, day) >= std::tuple(era.Year, era.Month, era.Day))
            return {QString::fromUtf16(era.Name), year - era.Year + 1};
    return {QString(), year};
}

} // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    static constexpr int MonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (day > MonthDays[month - 1] + (month == 2 && leap ? 1 : 0))
        return false;
    // The inverse of DecodeDate's count from 0000-03-01, by whole 400-year eras.
    const int y = month <= 2 ? year - 1 : year;
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    result = double(qint64(era) * 146097 + dayOfEra - kEpochFromMarch);
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 ||
        msec > 999)
        return false;
    result = (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result;
    if (!TryEncodeDate(year, month, day, result))
        throw EConvertError("Invalid argument to date encode");
    return result;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    TDateTime result;
    if (!TryEncodeTime(hour, min, sec, msec, result))
        throw EConvertError("Invalid argument to time encode");
    return result;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    qint64 days, ms;
    Split(value, days, ms);
    DayToDate(days, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec) {
    qint64 days, ms;
    Split(value, days, ms);
    MSecsToTime(ms, hour, min, sec, msec);
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& min, int& sec,
                    int& msec) {
    qint64 days, ms;
    Split(value, days, ms);
    DayToDate(days, year, month, day);
    MSecsToTime(ms, hour, min, sec, msec);
}

qint64 WholeSeconds(TDateTime value) {
    return std::llround(value * SecondsPerDay);
}

TDateTime FirstValueOfDay(qint64 day) {
    // Day numbers grow with the value, so the first value is found by halving the range of
    // doubles between the day's neighbours; ordered as integers their bit patterns keep order.
    auto key = [](double v) {
        const qint64 bits = std::bit_cast<qint64>(v);
        return bits < 0 ? std::numeric_limits<qint64>::min() - bits : bits;
    };
    auto value = [](qint64 k) {
        return std::bit_cast<double>(k < 0 ? std::numeric_limits<qint64>::min() - k : k);
    };
    qint64 low = key(double(day) - 1), high = key(double(day));
    while (low + 1 < high) {
        const qint64 middle = low + (high - low) / 2;
        if (DateOf(value(middle)) >= double(day))
            high = middle;
        else
            low = middle;
    }
    return value(high);
}

TDateTime DateOf(TDateTime value) {
    qint64 days, ms;
    Split(value, days, ms);
    return double(days);
}

TDateTime TimeOf(TDateTime value) {
    qint64 days, ms;
    Split(value, days, ms);
    return double(ms) / MSecsPerDay;
}

QDate ToQDate(TDateTime value) {
    qint64 days, ms;
    Split(value, days, ms);
    return kEpoch.addDays(days);
}

QTime ToQTime(TDateTime value) {
    qint64 days, ms;
    Split(value, days, ms);
    return QTime::fromMSecsSinceStartOfDay(int(ms));
}

QDateTime ToQDateTime(TDateTime value) {
    return QDateTime(ToQDate(value), ToQTime(value));
}

TDateTime FromQDate(const QDate& date) {
    return double(kEpoch.daysTo(date));
}

TDateTime FromQDateTime(const QDateTime& dateTime) {
    return FromQDate(dateTime.date()) + dateTime.time().msecsSinceStartOfDay() / MSecsPerDay;
}

TDateTime Now() {
    if (NowOverride())
        return NowOverride()();
    return FromQDateTime(QDateTime::currentDateTime());
}

TDateTime Date() {
    return DateOf(Now());
}

uint32_t GetTickCount() {
    if (TicksOverride())
        return TicksOverride()();
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void Clock::SetNow(std::function<TDateTime()> now) {
    NowOverride() = std::move(now);
}

void Clock::SetTicks(std::function<uint32_t()> ticks) {
    TicksOverride() = std::move(ticks);
}

TFormatSettings& FormatSettings() {
    static TFormatSettings settings;
    return settings;
}

QString FormatDateTime(const QString& format, TDateTime value) {
    const TFormatSettings& fs = FormatSettings();
    int year, month, day, hour, min, sec, msec;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, min, sec, msec);
    QString out;
    bool afterHour = false;
    const int n = int(format.size());
    int i = 0;
    auto run = [&](QChar c) {
        int k = i;
        while (k < n && format[k].toLower() == c)
            ++k;
        int len = k - i;
        i = k;
        return len;
    };
    while (i < n) {
        const QChar c = format[i];
        const QChar lc = c.toLower();
        if (c == '\'' || c == '"') {
            int end = format.indexOf(c, i + 1);
            if (end < 0)
                end = n;
            out += format.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (lc == 'y') {
            int len = run('y');
            out += len <= 2 ? Pad(year % 100, 2) : Pad(year, 4);
        } else if (lc == 'm') {
            int len = run('m');
            out += afterHour ? Pad(min, len >= 2 ? 2 : 1) : Pad(month, len >= 2 ? 2 : 1);
        } else if (lc == 'd') {
            int len = run('d');
            if (len >= 6)
                out += FormatDateTime(fs.LongDateFormat, value);
            else if (len == 5)
                out += FormatDateTime(fs.ShortDateFormat, value);
            else
                out += Pad(day, len >= 2 ? 2 : 1);
        } else if (lc == 'g') {
            const QString name = EraOf(year, month, day).first;
            out += run('g') >= 2 ? name : name.left(1);
        } else if (lc == 'e') {
            out += Pad(EraOf(year, month, day).second, run('e') >= 2 ? 2 : 1);
        } else if (lc == 'h') {
            int len = run('h');
            out += Pad(hour, len >= 2 ? 2 : 1);
            afterHour = true;
            continue;
        } else if (lc == 'n') {
            out += Pad(min, run('n') >= 2 ? 2 : 1);
        } else if (lc == 's') {
            out += Pad(sec, run('s') >= 2 ? 2 : 1);
        } else if (lc == 'z') {
            out += Pad(msec, run('z') >= 3 ? 3 : 1);
        } else if (lc == 'c') {
            ++i;
            out += FormatDateTime(fs.ShortDateFormat, value);
            if (TimeOf(value) != 0)
                out += ' ' + FormatDateTime(fs.LongTimeFormat, value);
        } else if (lc == 't') {
            int len = run('t');
            out += FormatDateTime(len >= 2 ? fs.LongTimeFormat : fs.ShortTimeFormat, value);
        } else {
            ++i;
            out += c == '/' ? fs.DateSeparator : c == ':' ? fs.TimeSeparator : c;
            continue; // only letters decide whether an "m" is a minute
        }
        afterHour = false;
    }
    return out;
}

QString DateToStr(TDateTime value) {
    return FormatDateTime(FormatSettings().ShortDateFormat, value);
}

QString TimeToStr(TDateTime value) {
    return FormatDateTime(FormatSettings().LongTimeFormat, value);
}

QString DateTimeToStr(TDateTime value) {
    return FormatDateTime("c", value);
}

bool TryStrToDate(const QString& text, TDateTime& result) {
    return TryStrToDate(text, result, FormatSettings());
}

bool TryStrToDate(const QString& text, TDateTime& result, const TFormatSettings& fs) {
    const QStringList parts = text.trimmed().split(fs.DateSeparator);
    QList<int> numbers;
    for (const QString& p : parts) {
        bool ok = false;
        int v = p.trimmed().toInt(&ok);
        if (!ok)
            return false;
        numbers.append(v);
    }
    // The order of year, month and day follows the short date format.
    const QString order = fs.ShortDateFormat.toLower();
    const int yPos = int(order.indexOf('y')), mPos = int(order.indexOf('m')),
              dPos = int(order.indexOf('d'));
    int year = 0, month = 0, day = 0;
    if (numbers.size() == 3) {
        QList<QPair<int, char>> fields{{yPos, 'y'}, {mPos, 'm'}, {dPos, 'd'}};
        std::sort(fields.begin(), fields.end());
        for (int k = 0; k < 3; ++k) {
            char f = fields[k].second;
            (f == 'y' ? year : f == 'm' ? month : day) = numbers[k];
        }
        if (year < 100)
            year += ToQDate(Now()).year() / 100 * 100;
    } else if (numbers.size() == 2) {
        year = ToQDate(Now()).year();
        bool monthFirst = mPos < dPos;
        month = numbers[monthFirst ? 0 : 1];
        day = numbers[monthFirst ? 1 : 0];
    } else {
        return false;
    }
    return TryEncodeDate(year, month, day, result);
}

TDateTime StrToDate(const QString& text) {
    TDateTime result;
    if (!TryStrToDate(text, result))
        throw EConvertError("'" + text + "' is not a valid date");
    return result;
}

bool TryStrToTime(const QString& text, TDateTime& result) {
    static const QRegularExpression re("^\\s*(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*$");
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    return TryEncodeTime(m.captured(1).toInt(), m.captured(2).toInt(),
                         m.captured(3).isEmpty() ? 0 : m.captured(3).toInt(), 0, result);
}

TDateTime StrToTime(const QString& text) {
    TDateTime result;
    if (!TryStrToTime(text, result))
        throw EConvertError("'" + text + "' is not a valid time");
    return result;
}
