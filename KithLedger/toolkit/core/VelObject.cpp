#include "VelObject.h"
#include "VelScopedLock.h"

#include <cxxabi.h>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <set>
#include <vector>

struct VelObject::Extras {
    Extras() : owner(nullptr) {}
    std::string name;
    VelObject* owner;
    VelCriticalSection lock;  // over the children
    std::set<VelObject*> children;
};

// The live objects by id: an open-addressed table of the objects themselves,
// keyed by the id each carries, a pointer a slot instead of a tree node.
struct VelObjectRegistry {
    VelCriticalSection lock;
    std::vector<VelObject*> slots;  // a power of two long, or empty
    size_t count = 0;

    static const size_t kMinSlots = 64;

    size_t Home(int id) const
    {
        // Fibonacci hashing: ids come in runs, and runs must not pile up in one stretch.
        return size_t((uint64_t(uint32_t(id)) * 0x9E3779B97F4A7C15ull) >> 32) & (slots.size() - 1);
    }

    void Insert(VelObject* object)
    {
        if ((count + 1) * 4 > slots.size() * 3)
            Resize(slots.empty() ? kMinSlots : slots.size() * 2);
        size_t at = Home(object->m_id);
        while (slots[at])
            at = (at + 1) & (slots.size() - 1);
        slots[at] = object;
        ++count;
    }

    size_t Find(int id) const
    {
        if (slots.empty())
            return size_t(-1);
        for (size_t at = Home(id);; at = (at + 1) & (slots.size() - 1)) {
            if (!slots[at])
                return size_t(-1);
            if (slots[at]->m_id == id)
                return at;
        }
    }

    void Erase(int id)
    {
        size_t hole = Find(id);
        if (hole == size_t(-1))
            return;
        // Pulls back each later entry of the run that may sit in the hole, so
        // a search never stops short at an empty slot.
        const size_t mask = slots.size() - 1;
        for (size_t at = (hole + 1) & mask; slots[at]; at = (at + 1) & mask) {
            const size_t home = Home(slots[at]->m_id);
            if (((at - home) & mask) >= ((at - hole) & mask)) {
                slots[hole] = slots[at];
                hole = at;
            }
        }
        slots[hole] = nullptr;
        --count;
        // Gives the room back after a large list goes; halving only at an
        // eighth keeps a list that fills and empties from resizing each time.
        if (slots.size() > kMinSlots && count * 8 < slots.size()) {
            try {
                Resize(slots.size() / 2);
            } catch (const std::bad_alloc&) {
                // The table as it is serves as well.
            }
        }
    }

    void Resize(size_t size)
    {
        std::vector<VelObject*> old(size, nullptr);
        old.swap(slots);  // the new table in place, the entries to move in `old`
        count = 0;
        for (VelObject* object : old) {
            if (!object)
                continue;
            size_t at = Home(object->m_id);
            while (slots[at])
                at = (at + 1) & (slots.size() - 1);
            slots[at] = object;
            ++count;
        }
    }
};

namespace {

// Constant-initialised, so objects built by static initialisers count from 100 too.
LONG s_nextId = 100;

// Made on first use and never freed: objects may outlive every static destructor.
VelObjectRegistry& GetRegistry()
{
    static VelObjectRegistry* registry = new VelObjectRegistry;
    return *registry;
}

const std::string& NoName()
{
    static const std::string* none = new std::string;
    return *none;
}

}  // namespace

VelObject::VelObject(VelObject* owner, const std::string& name) : m_extras(nullptr)
{
    Register();
    if (owner || !name.empty()) {
        Extras* extras = GetExtras();
        extras->owner = owner;
        extras->name = name;
    }
    if (owner)
        owner->AddChild(this);
}

VelObject::VelObject(const VelObject& other)
    : Destroying(other.Destroying), ChildAdded(other.ChildAdded), ChildRemoved(other.ChildRemoved),
      TimerElapsed(other.TimerElapsed), UserMessage(other.UserMessage), m_extras(nullptr)
{
    Register();
    if (const Extras* source = other.m_extras) {
        Extras* extras = GetExtras();
        extras->name = source->name;
        extras->owner = source->owner;
    }
}

VelObject::~VelObject()
{
    VelObjectDestroyEventArgs args(this);
    Destroying.Invoke(this, &args);

    if (Extras* extras = m_extras) {
        {
            VelScopedLock lock(&extras->lock);
            while (!extras->children.empty()) {
                VelObject* child = *extras->children.begin();
                delete child;  // its Destroying takes it out of the set through OnChildDestroyed
                extras->children.erase(child);
            }
        }
        m_extras = nullptr;
        delete extras;
    }
    VelObjectRegistry& registry = GetRegistry();
    VelScopedLock registryLock(&registry.lock);
    registry.Erase(m_id);
}

void VelObject::Register()
{
    m_id = ::InterlockedExchangeAdd(&s_nextId, 1);
    VelObjectRegistry& registry = GetRegistry();
    VelScopedLock lock(&registry.lock);
    registry.Insert(this);
}

VelObject::Extras* VelObject::GetExtras()
{
    if (Extras* extras = m_extras)
        return extras;
    Extras* made = new Extras;
    PVOID before = ::InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&m_extras), made, nullptr);
    if (!before)
        return made;
    delete made;
    return static_cast<Extras*>(before);
}

std::string VelObject::GetTypeName() const
{
    const char* mangled = typeid(const VelObject*).name();
    int status = 0;
    char* readable = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = readable ? readable : mangled;
    std::free(readable);
    return name;
}

void VelObject::SetName(const std::string& name)
{
    if (m_extras || !name.empty())
        GetExtras()->name = name;
}

const std::string& VelObject::GetName() const
{
    const Extras* extras = m_extras;
    return extras ? extras->name : NoName();
}

void VelObject::AddChild(VelObject* child)
{
    // One owner at a time: two would both delete the child.
    VelObject* previous = child->GetOwner();
    if (previous && previous != this)
        previous->RemoveChild(child);

    Extras* extras = GetExtras();
    Extras* childExtras = child->GetExtras();
    VelScopedLock lock(&extras->lock);
    childExtras->owner = this;
    if (extras->children.insert(child).second)
        child->Destroying += VelBind(this, &VelObject::OnChildDestroyed);
    VelObjectEventArgs args(child);
    ChildAdded.Invoke(this, &args);
}

void VelObject::RemoveChild(VelObject* child)
{
    Extras* extras = m_extras;
    if (!extras)
        return;
    bool removed;
    {
        VelScopedLock lock(&extras->lock);
        removed = extras->children.erase(child) != 0;
        // A child that outlives this object must not call back into it.
        if (removed)
            child->Destroying.RemoveReceiver(this);
    }
    if (!removed)
        return;
    VelObjectEventArgs args(child);
    ChildRemoved.Invoke(this, &args);
}

int VelObject::GetId() const { return m_id; }

const wchar_t* VelObject::GetClassName() const { return L"VelObject"; }

void VelObject::OnChildDestroyed(VelObject* sender, const VelObjectDestroyEventArgs* args)
{
    RemoveChild(args->object);
}

int VelObject::OnUserMessage(const VelUserMessageEventArgs* args)
{
    UserMessage.Invoke(this, args);
    return 0;
}

int VelObject::OnTimer(const VelTimerEventArgs* args)
{
    TimerElapsed.Invoke(this, args);
    return 0;
}

VelObject* VelObject::GetOwner() const
{
    const Extras* extras = m_extras;
    return extras ? extras->owner : nullptr;
}

std::wstring VelObject::Describe() const
{
    return L"\t Control: Id " + std::to_wstring(GetId()) + L" class name " + GetClassName();
}

VelObject* VelObject::FindById(int id)
{
    VelObjectRegistry& registry = GetRegistry();
    VelScopedLock lock(&registry.lock);
    const size_t at = registry.Find(id);
    return at == size_t(-1) ? nullptr : registry.slots[at];
}
