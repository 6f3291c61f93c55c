#pragma once
// A failure that ends an event handler and reaches the application-wide error report.
#include <QString>
#include <stdexcept>

namespace base {

class Failure : public std::runtime_error {
public:
    explicit Failure(QString message, QString english = {})
        : std::runtime_error(message.toStdString()), message_(std::move(message)),
          english_(std::move(english)) {}
    const QString& message() const { return message_; }
    // The same in English with its reason, as lorvane-cli says it ("refs.bib: cannot be read (No such
    // file or directory)"); empty where none was given.
    const QString& english() const { return english_; }

private:
    QString message_;
    QString english_;
};

// A command the user called off while it ran (a large file's read stopped with Esc): it ends the handler
// like a failure, so nothing after it runs, but nothing is reported.
class Cancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

// The error report's text: "." is appended when the message's last character sorts after ".".
QString withFinalPeriod(const QString& message);

} // namespace base
