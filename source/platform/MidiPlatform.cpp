#include "platform/MidiPlatform.h"

#include "platform/AlsaMidiBackend.h"

#include <mutex>

namespace platform
{
namespace
{
struct Selection
{
    std::mutex mutex;
    std::shared_ptr<MidiBackend> backend;
};

Selection& selection()
{
    static Selection instance;
    return instance;
}
} // namespace

bool selectMidiBackend(std::shared_ptr<MidiBackend> backend)
{
    auto& chosen = selection();
    const std::lock_guard<std::mutex> lock(chosen.mutex);
    if (chosen.backend != nullptr || backend == nullptr)
        return false;
    chosen.backend = std::move(backend);
    return true;
}

std::shared_ptr<MidiBackend> getMidiBackend()
{
    auto& chosen = selection();
    const std::lock_guard<std::mutex> lock(chosen.mutex);
    if (chosen.backend == nullptr)
        chosen.backend = std::make_shared<AlsaMidiBackend>();
    return chosen.backend;
}
} // namespace platform
