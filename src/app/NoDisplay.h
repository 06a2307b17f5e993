#pragma once

// Qt ends a program whose display cannot be opened with a fatal message that advises reinstalling
// it. From the making of one of these until opened() (around making the application object), that
// failure becomes one line saying that the program needs a graphical session, and exit code 1. The
// platform's other messages of that moment are held back and passed on once the display is open.
class NoDisplayLine {
public:
    NoDisplayLine();
    ~NoDisplayLine() { opened(); }
    void opened();
    NoDisplayLine(const NoDisplayLine&) = delete;
    NoDisplayLine& operator=(const NoDisplayLine&) = delete;
};
