#pragma once
#include "VelCriticalSection.h"
#include "VelDelegate.h"
#include "VelEventArgs.h"

#include <string>

// The root of every toolkit object: a process-wide id (from 100, never reused),
// a name, an owner, the children it owns and deletes, and a registry of live
// objects through which timer ticks and posted messages find their target.
// An object given an owner must live on the heap: the owner deletes it.
// Thousands of list rows are objects that never get a name, an owner or a
// child, so those come on the heap only when first given.
class VelObject {
public:
    typedef VelDelegate<VelObject*, const VelObjectDestroyEventArgs*> DestroyEvent;
    typedef VelDelegate<VelObject*, const VelObjectEventArgs*> ChildEvent;
    typedef VelDelegate<VelObject*, const VelTimerEventArgs*> TimerEvent;
    typedef VelDelegate<VelObject*, const VelUserMessageEventArgs*> UserMessageEvent;

    explicit VelObject(VelObject* owner = nullptr, const std::string& name = std::string());
    // The copy shares the source's callbacks, name and owner pointer; it has an
    // id and a registry entry of its own, no children, and is in no owner's set.
    VelObject(const VelObject& other);
    VelObject& operator=(const VelObject&) = delete;
    virtual ~VelObject();

    virtual std::string GetTypeName() const;
    virtual void SetName(const std::string& name);
    virtual const std::string& GetName() const;
    virtual void AddChild(VelObject* child);
    virtual void RemoveChild(VelObject* child);
    virtual int GetId() const;
    virtual const wchar_t* GetClassName() const;
    virtual void OnChildDestroyed(VelObject* sender, const VelObjectDestroyEventArgs* args);
    virtual int OnUserMessage(const VelUserMessageEventArgs* args);
    virtual int OnTimer(const VelTimerEventArgs* args);

    VelObject* GetOwner() const;
    std::wstring Describe() const;

    // The live object with this id, or null once it is destroyed.
    static VelObject* FindById(int id);

    DestroyEvent Destroying;
    ChildEvent ChildAdded;
    ChildEvent ChildRemoved;
    TimerEvent TimerElapsed;
    UserMessageEvent UserMessage;

private:
    struct Extras;
    friend struct VelObjectRegistry;

    void Register();
    // Made when first needed, safe against a second thread doing the same.
    Extras* GetExtras();

    // Next to the events' four-byte numbers, where it packs.
    int m_id;
    // Name, owner, children and their lock; null while there are none.
    Extras* volatile m_extras;
};
