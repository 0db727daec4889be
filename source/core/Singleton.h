#pragma once

#include <juce_core/juce_core.h>

// Base of the application's process-wide objects: one instance per class, created with `new T`
// on the first getInstance() call. No locking: main thread only. Classes that the framework
// should delete after shutdown also derive from juce::DeletedAtShutdown (in reverse order of
// creation, so an object that uses another in its destructor must be created after it).
template <typename T> class Singleton
{
public:
    static T* getInstance()
    {
        if (instance == nullptr)
        {
            instance = new T();
            registered = instance;
        }
        return instance;
    }

    // The instance when it exists, else nullptr; never creates it.
    static T* getInstanceWithoutCreating() noexcept { return instance; }

    virtual ~Singleton()
    {
        // Forget the instance when it is deleted, so that a late getInstance() makes a fresh
        // object instead of handing out a dangling pointer.
        if (registered == this)
        {
            instance = nullptr;
            registered = nullptr;
        }
    }

protected:
    Singleton() = default;

private:
    inline static T* instance = nullptr;
    // The same object seen as this base, recorded while it is alive (comparing in the
    // destructor needs no cast of a half-destroyed object).
    inline static Singleton* registered = nullptr;

    JUCE_DECLARE_NON_COPYABLE(Singleton)
};
