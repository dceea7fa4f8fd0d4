#pragma once
// The process-wide set-up of the libraries, in their fixed order, before any window exists; the
// release runs in the reverse order when the object goes.

class TQuillonStartup
{
public:
    TQuillonStartup();
    ~TQuillonStartup();
    TQuillonStartup(const TQuillonStartup &) = delete;
    TQuillonStartup &operator=(const TQuillonStartup &) = delete;
};
