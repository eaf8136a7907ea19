#include "VelObject.h"
#include "VelScopedLock.h"

#include <cxxabi.h>
#include <cstdlib>
#include <map>

namespace {

// Constant-initialised, so objects built by static initialisers count from 100 too.
LONG s_nextId = 100;

struct Registry {
    VelCriticalSection lock;
    std::map<int, VelObject*> objects;
};

// Made on first use and never freed: objects may outlive every static destructor.
Registry& GetRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

} // namespace

VelObject::VelObject(VelObject* owner, const std::string& name)
    : m_owner(nullptr)
{
    Register();
    m_owner = owner;
    m_name = name;
    if (owner)
        owner->AddChild(this);
}

VelObject::VelObject(const VelObject& other)
    : Destroying(other.Destroying), ChildAdded(other.ChildAdded), ChildRemoved(other.ChildRemoved),
      TimerElapsed(other.TimerElapsed), UserMessage(other.UserMessage),
      m_name(other.m_name), m_owner(other.m_owner)
{
    Register();
}

VelObject::~VelObject()
{
    VelObjectDestroyEventArgs args(this);
    Destroying.Invoke(this, &args);

    VelScopedLock lock(&m_lock);
    while (!m_children.empty()) {
        VelObject* child = *m_children.begin();
        delete child;  // its Destroying takes it out of the set through OnChildDestroyed
        m_children.erase(child);
    }
    Registry& registry = GetRegistry();
    VelScopedLock registryLock(&registry.lock);
    registry.objects.erase(m_id);
}

void VelObject::Register()
{
    m_id = ::InterlockedExchangeAdd(&s_nextId, 1);
    Registry& registry = GetRegistry();
    VelScopedLock lock(&registry.lock);
    registry.objects[m_id] = this;
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
    m_name = name;
}

const std::string& VelObject::GetName() const
{
    return m_name;
}

void VelObject::AddChild(VelObject* child)
{
    // One owner at a time: two would both delete the child.
    if (child->m_owner && child->m_owner != this)
        child->m_owner->RemoveChild(child);

    VelScopedLock lock(&m_lock);
    child->m_owner = this;
    if (m_children.insert(child).second)
        child->Destroying += VelBind(this, &VelObject::OnChildDestroyed);
    VelObjectEventArgs args(child);
    ChildAdded.Invoke(this, &args);
}

void VelObject::RemoveChild(VelObject* child)
{
    bool removed;
    {
        VelScopedLock lock(&m_lock);
        removed = m_children.erase(child) != 0;
        // A child that outlives this object must not call back into it.
        if (removed)
            child->Destroying.RemoveReceiver(this);
    }
    if (!removed)
        return;
    VelObjectEventArgs args(child);
    ChildRemoved.Invoke(this, &args);
}

int VelObject::GetId() const
{
    return m_id;
}

const wchar_t* VelObject::GetClassName() const
{
    return L"VelObject";
}

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
    return m_owner;
}

std::wstring VelObject::Describe() const
{
    return L"\t Control: Id " + std::to_wstring(GetId()) + L" class name " + GetClassName();
}

VelObject* VelObject::FindById(int id)
{
    Registry& registry = GetRegistry();
    VelScopedLock lock(&registry.lock);
    std::map<int, VelObject*>::const_iterator it = registry.objects.find(id);
    return it == registry.objects.end() ? nullptr : it->second;
}
