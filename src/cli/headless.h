#pragma once
// What the commands that print or measure text share: the GUI part of Qt
// (fonts, the PDF writer) without a window, and the database opened or a
// message saying why not.
#include "core/appstate.h"
#include <QGuiApplication>

namespace cli {

// Chooses the offscreen platform unless one is set, and keeps stderr for the
// command's own messages rather than the platform's chatter.
struct HeadlessPlatform {
    HeadlessPlatform();
};

// A QGuiApplication for a command: no window, no display needed.
class HeadlessApp : private HeadlessPlatform {
public:
    HeadlessApp() : m_app(m_argc, m_argv) {}

private:
    int m_argc = 1;
    char m_program[10] = "billprint";
    char *m_argv[2] = {m_program, nullptr};
    QGuiApplication m_app;
};

// Opens the database named by --db (empty: the usual places) into `state`;
// false after telling stderr why, prefixed with `command` ("billprint",
// "billprint batch").
bool openDatabaseFor(AppState &state, const QString &dbArgument, const QString &command);

} // namespace cli
