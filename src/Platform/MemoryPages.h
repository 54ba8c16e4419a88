#pragma once

namespace orlix {

// Memory that will not be read again, handed back to the system before it is freed: a large
// buffer read once from its start can shrink as it is read instead of going all at once at the end.
class MemoryPages {
public:
    // Gives back the whole pages within [begin, end) of private memory the caller owns. They stay
    // mapped and read as zeros when next touched; the parts of pages at either end are kept.
    // Returns where what was given back ends (`begin` when nothing was), which a caller that goes
    // on releasing what follows passes as its next `begin`: each call costs a pass over the pages
    // it names, so the calls are best few and their ranges apart.
    static const void* release(const void* begin, const void* end);
};

} // namespace orlix
