#include "platform/ui/MediaBackend.h"

#include "platform/Modules.h"

namespace {

constexpr ModuleInfo kMediaModule{"libscrivelle_media.so",
#ifdef SCRIVELLE_MEDIA_MODULE
                                  SCRIVELLE_MEDIA_MODULE,
#else
                                  nullptr,
#endif
                                  kCreateMediaBackendSymbol, "The media player module"};

} // namespace

MediaBackend* LoadMediaBackend(const MediaBackend::Callbacks& callbacks, QString* error) {
    const auto create = reinterpret_cast<CreateMediaBackendFn>(ResolveModuleEntry(kMediaModule, error));
    return create ? create(callbacks) : nullptr;
}
