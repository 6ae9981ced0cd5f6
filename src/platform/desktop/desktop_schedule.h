#pragma once

#include <QString>
#include <QTime>

#include <functional>

// A daily run of the program kept by the desktop, so that it runs with no
// window open. Both calls answer later, through `done`.
class DesktopSchedule
{
public:
    using Done = std::function<void(bool ok, const QString &error)>;
    virtual ~DesktopSchedule() = default;

    virtual void setDaily(const QTime &time, Done done) = 0;
    // Fails, with the desktop's own words, when the run stays scheduled.
    virtual void turnOff(Done done) = 0;
};

// Where the desktop's schedule must not be touched (the demo's throw-away
// program folder): a daily run is refused with `why`; there is none to turn off.
class NoDesktopSchedule : public DesktopSchedule
{
public:
    explicit NoDesktopSchedule(QString why) : m_why(std::move(why)) {}
    void setDaily(const QTime &, Done done) override { done(false, m_why); }
    void turnOff(Done done) override { done(true, QString()); }

private:
    QString m_why;
};
