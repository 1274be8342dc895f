#pragma once

#include <QString>

// Whether a file exists, behind an interface so that tests can answer for any path.
class FileCheck
{
public:
    virtual ~FileCheck() = default;
    virtual bool fileExists(const QString &path) const = 0;
};

class QtFileCheck final : public FileCheck
{
public:
    // True for an existing file (or a link to one); false for a folder or nothing.
    bool fileExists(const QString &path) const override;
};
