#include "platform/SingleInstance.h"

SingleInstance::SingleInstance(const QString& lockFile) : lock_(lockFile)
{
    // The lock is held for the program's whole life; never treat it as stale by age.
    lock_.setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    // A lock left by a crashed instance is recognised and taken over.
    return lock_.tryLock(0);
}
