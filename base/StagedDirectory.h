#pragma once

#include <QString>

// A directory written under a temporary name beside its target
// ("SALADIN.import-4711" for "SALADIN", 4711 the writing process) and renamed
// into place when complete, so that the target is either absent or whole. A
// marker file inside names the host and the process. A process killed while
// writing leaves its directory behind; removeAbandoned() removes such
// directories once their process is gone and touches nothing else, and no
// directory with such a name is ever taken for a district.
class StagedDirectory
{
public:
    // Creates the directory beside `target`; throws ETalvekException with the
    // reason.
    explicit StagedDirectory(const QString& target);
    // Removes the directory and everything in it unless it was committed.
    ~StagedDirectory();
    StagedDirectory(const StagedDirectory&) = delete;
    StagedDirectory& operator=(const StagedDirectory&) = delete;

    const QString& path() const { return m_path; }
    // Renames the directory to the target, which must be absent or an empty
    // directory (replaced as one step); throws with the system's reason.
    void commit();
    // Undoes commit() when what had to follow it failed: the target gets the
    // temporary name again (to be removed) and a replaced empty directory is
    // made again.
    void revert() noexcept;

    // True for a directory named as a staged one ("NAME.import-<digits>").
    static bool isStagedName(const QString& directory);
    // Removes the staged directories in `parent` left by processes of this
    // host that are gone; returns how many.
    static int removeAbandoned(const QString& parent);

private:
    QString m_target;
    QString m_path;
    bool m_committed = false;
    bool m_replacedEmpty = false;
};
