#include "fake_jvm.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "jni_slot_names.inc"

namespace fakejvm {

namespace {

const char* const native_slot_names[] = {FAKEJVM_NATIVE_SLOTS};
const char* const invoke_slot_names[] = {FAKEJVM_INVOKE_SLOTS};
constexpr size_t native_slot_count = sizeof(native_slot_names) / sizeof(native_slot_names[0]);
constexpr size_t invoke_slot_count = sizeof(invoke_slot_names) / sizeof(invoke_slot_names[0]);
static_assert(sizeof(JNINativeInterface_) == native_slot_count * sizeof(void*), "slot list out of step with jni.h");
static_assert(sizeof(JNIInvokeInterface_) == invoke_slot_count * sizeof(void*), "slot list out of step with jni.h");

[[noreturn]] void unimplemented(const char* table, size_t index, const char* name)
{
    std::fprintf(stderr, "\nfake JVM: %s slot %u (%s) is not implemented; the test cannot go on\n", table,
                 static_cast<unsigned>(index), name);
    std::fflush(stderr);
    ExitProcess(70);
}

template <size_t N>
void JNICALL native_stub()
{
    unimplemented("JNINativeInterface_", N, native_slot_names[N]);
}
template <size_t N>
void JNICALL invoke_stub()
{
    unimplemented("JNIInvokeInterface_", N, invoke_slot_names[N]);
}
template <size_t... I>
void fill_native(void** slots, std::index_sequence<I...>)
{
    ((slots[I] = reinterpret_cast<void*>(&native_stub<I>)), ...);
}
template <size_t... I>
void fill_invoke(void** slots, std::index_sequence<I...>)
{
    ((slots[I] = reinterpret_cast<void*>(&invoke_stub<I>)), ...);
}

std::string utf16_to_narrow(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text) out += (c < 0x80) ? static_cast<char>(c) : '?';
    return out;
}

// Argument types of a method signature, one character per argument
// ('L' for any reference, arrays included).
std::string argument_kinds(const std::string& sig)
{
    std::string kinds;
    size_t i = 1;
    while (i < sig.size() && sig[i] != ')') {
        char c = sig[i];
        if (c == '[') {
            while (sig[i] == '[') ++i;
            if (sig[i] == 'L') i = sig.find(';', i);
            ++i;
            kinds += 'L';
            continue;
        }
        if (c == 'L') {
            i = sig.find(';', i) + 1;
            kinds += 'L';
            continue;
        }
        kinds += c;
        ++i;
    }
    return kinds;
}

char return_kind(const std::string& sig)
{
    const char c = sig[sig.find(')') + 1];
    return c == '[' ? 'L' : c;
}

std::vector<jvalue> read_va(const std::string& sig, va_list args)
{
    std::vector<jvalue> values;
    for (char k : argument_kinds(sig)) {
        jvalue v{};
        switch (k) {
        case 'Z': v.z = static_cast<jboolean>(va_arg(args, int)); break;
        case 'B': v.b = static_cast<jbyte>(va_arg(args, int)); break;
        case 'C': v.c = static_cast<jchar>(va_arg(args, int)); break;
        case 'S': v.s = static_cast<jshort>(va_arg(args, int)); break;
        case 'I': v.i = va_arg(args, jint); break;
        case 'J': v.j = va_arg(args, jlong); break;
        case 'F': v.f = static_cast<jfloat>(va_arg(args, double)); break;
        case 'D': v.d = va_arg(args, double); break;
        default: v.l = va_arg(args, jobject); break;
        }
        values.push_back(v);
    }
    return values;
}

std::vector<jvalue> read_array(const std::string& sig, const jvalue* args)
{
    const size_t n = argument_kinds(sig).size();
    return std::vector<jvalue>(args, args + n);
}

vm::thread_state& st(JNIEnv* env) { return vm::state_of(env); }

} // namespace

jvalue jv_int(jint v) { jvalue r{}; r.i = v; return r; }
jvalue jv_long(jlong v) { jvalue r{}; r.j = v; return r; }
jvalue jv_bool(bool v) { jvalue r{}; r.z = v ? JNI_TRUE : JNI_FALSE; return r; }
jvalue jv_float(jfloat v) { jvalue r{}; r.f = v; return r; }
jvalue jv_object(jobject v) { jvalue r{}; r.l = v; return r; }

// ---- classes ----

klass& klass::add_field(const std::string& n, const std::string& s)
{
    fields.push_back(field{n, s, false, this, {}});
    return *this;
}
klass& klass::add_static_field(const std::string& n, const std::string& s, jvalue initial)
{
    fields.push_back(field{n, s, true, this, initial});
    return *this;
}
klass& klass::add_method(const std::string& n, const std::string& s, method_body body)
{
    methods.push_back(method{n, s, false, this, std::move(body)});
    return *this;
}
klass& klass::add_static_method(const std::string& n, const std::string& s, method_body body)
{
    methods.push_back(method{n, s, true, this, std::move(body)});
    return *this;
}
field* klass::find_field(const std::string& n, const std::string& s, bool is_static)
{
    for (klass* k = this; k; k = k->super)
        for (field& f : k->fields)
            if (f.name == n && f.sig == s && f.is_static == is_static) return &f;
    return nullptr;
}
method* klass::find_method(const std::string& n, const std::string& s, bool is_static)
{
    for (klass* k = this; k; k = k->super) {
        for (method& m : k->methods)
            if (m.name == n && m.sig == s && m.is_static == is_static) return &m;
        if (n == "<init>") break; // constructors are not inherited
    }
    return nullptr;
}
bool klass::is_subclass_of(const klass* other) const
{
    for (const klass* k = this; k; k = k->super)
        if (k == other) return true;
    return false;
}

// ---- vm bookkeeping ----

vm& vm::of(JNIEnv* env) { return *reinterpret_cast<thread_state*>(env)->owner; }
vm::thread_state& vm::state_of(JNIEnv* env) { return *reinterpret_cast<thread_state*>(env); }

void vm::violation(const std::string& what)
{
    {
        std::lock_guard<std::recursive_mutex> hold(lock_);
        violations_.push_back(what);
    }
    ADD_FAILURE() << "JNI misuse: " << what;
}

std::vector<std::string> vm::violations() const
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return violations_;
}
void vm::clear_violations()
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    violations_.clear();
}

void vm::guard(JNIEnv* env, const char* slot)
{
    thread_state& s = st(env);
    if (s.thread != GetCurrentThreadId())
        violation(std::string(slot) + " called with the JNIEnv of another thread");
    if (s.pending)
        violation(std::string(slot) + " called while an exception is pending (" + s.pending->cls->name + ")");
}

bool vm::take_fault(const char* slot, JNIEnv* env)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    auto it = faults_.find(slot);
    if (it == faults_.end() || it->second == 0) return false;
    --it->second;
    if (env) raise(env, "java/lang/OutOfMemoryError", u"injected by the test");
    return true;
}

void vm::fail_next(const std::string& slot, int count)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    faults_[slot] = count;
}

object* vm::resolve(JNIEnv* env, jobject ref, const char* slot)
{
    if (!ref) return nullptr;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    auto* r = reinterpret_cast<ref_record*>(ref);
    if (!r->live) {
        violation(std::string(slot) + ": use of a deleted reference");
        return nullptr;
    }
    if (!r->global && r->thread != st(env).thread) {
        violation(std::string(slot) + ": local reference used on another thread");
    }
    return r->target;
}

jobject vm::make_local(JNIEnv* env, object* target)
{
    if (!target) return nullptr;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    refs_.push_back(ref_record{target, false, true, st(env).thread});
    return reinterpret_cast<jobject>(&refs_.back());
}

jobject vm::make_global(object* target)
{
    if (!target) return nullptr;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    refs_.push_back(ref_record{target, true, true, 0});
    return reinterpret_cast<jobject>(&refs_.back());
}

bool vm::delete_ref(JNIEnv* env, jobject ref, bool global, const char* slot)
{
    if (!ref) return true;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    auto* r = reinterpret_cast<ref_record*>(ref);
    if (r->global != global) {
        violation(std::string(slot) + ": reference of the wrong kind");
        return false;
    }
    if (!r->live) {
        violation(std::string(slot) + ": reference deleted twice");
        return false;
    }
    if (!global && r->thread != st(env).thread) violation(std::string(slot) + ": local reference of another thread");
    r->live = false;
    return true;
}

object* vm::allocate(klass* cls)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    objects_.emplace_back();
    object* o = &objects_.back();
    o->cls = cls;
    return o;
}

object* vm::string_object(const std::u16string& text)
{
    object* o = allocate(find_class("java/lang/String"));
    o->text = text;
    return o;
}

void vm::raise(JNIEnv* env, const std::string& class_name, const std::u16string& message)
{
    klass* cls = find_class(class_name);
    if (!cls) cls = &define_class(class_name, "java/lang/Throwable");
    object* e = allocate(cls);
    e->message = message;
    st(env).pending = e;
}

vm::thread_state* vm::find_state(DWORD thread) const
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    auto it = threads_.find(thread);
    return it == threads_.end() ? nullptr : it->second.get();
}

klass* vm::find_class(const std::string& name)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    for (klass& k : classes_)
        if (k.name == name) return &k;
    return nullptr;
}

klass& vm::define_class(const std::string& name, const std::string& super)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    classes_.emplace_back();
    klass& k = classes_.back();
    k.name = name;
    k.super = super.empty() ? nullptr : find_class(super);
    klass* class_class = find_class("java/lang/Class");
    k.mirror = allocate(class_class ? class_class : &k);
    k.mirror->as_class = &k;
    return k;
}

// ---- the JNI functions ----

namespace fn {

#define VM(env) vm::of(env)

jint JNICALL GetVersion(JNIEnv*) { return JNI_VERSION_1_8; }

jclass JNICALL FindClass(JNIEnv* env, const char* name)
{
    VM(env).guard(env, "FindClass");
    if (VM(env).take_fault("FindClass", env)) return nullptr;
    klass* k = VM(env).find_class(name ? name : "");
    if (!k) {
        VM(env).raise(env, "java/lang/NoClassDefFoundError", std::u16string(name, name + std::strlen(name)));
        return nullptr;
    }
    return static_cast<jclass>(VM(env).make_local(env, k->mirror));
}

klass* class_of(JNIEnv* env, jclass cls, const char* slot)
{
    object* o = VM(env).resolve(env, cls, slot);
    if (!o || !o->as_class) {
        VM(env).violation(std::string(slot) + ": not a class reference");
        return nullptr;
    }
    return o->as_class;
}

jclass JNICALL GetSuperclass(JNIEnv* env, jclass cls)
{
    VM(env).guard(env, "GetSuperclass");
    klass* k = class_of(env, cls, "GetSuperclass");
    return (k && k->super) ? static_cast<jclass>(VM(env).make_local(env, k->super->mirror)) : nullptr;
}

jboolean JNICALL IsAssignableFrom(JNIEnv* env, jclass sub, jclass sup)
{
    VM(env).guard(env, "IsAssignableFrom");
    klass* a = class_of(env, sub, "IsAssignableFrom");
    klass* b = class_of(env, sup, "IsAssignableFrom");
    return (a && b && a->is_subclass_of(b)) ? JNI_TRUE : JNI_FALSE;
}

jint JNICALL Throw(JNIEnv* env, jthrowable obj)
{
    VM(env).guard(env, "Throw");
    object* o = VM(env).resolve(env, obj, "Throw");
    if (!o) return -1;
    st(env).pending = o;
    return 0;
}

jint JNICALL ThrowNew(JNIEnv* env, jclass cls, const char* message)
{
    VM(env).guard(env, "ThrowNew");
    klass* k = class_of(env, cls, "ThrowNew");
    if (!k) return -1;
    object* e = VM(env).allocate(k);
    if (message) e->message = std::u16string(message, message + std::strlen(message));
    st(env).pending = e;
    return 0;
}

jthrowable JNICALL ExceptionOccurred(JNIEnv* env)
{
    return static_cast<jthrowable>(VM(env).make_local(env, st(env).pending));
}

void JNICALL ExceptionDescribe(JNIEnv* env)
{
    if (object* e = st(env).pending)
        std::fprintf(stderr, "fake JVM: exception %s: %s\n", e->cls->name.c_str(), utf16_to_narrow(e->message).c_str());
    st(env).pending = nullptr;
}

void JNICALL ExceptionClear(JNIEnv* env) { st(env).pending = nullptr; }

jboolean JNICALL ExceptionCheck(JNIEnv* env) { return st(env).pending ? JNI_TRUE : JNI_FALSE; }

void JNICALL FatalError(JNIEnv*, const char* message)
{
    std::fprintf(stderr, "fake JVM: FatalError: %s\n", message ? message : "(null)");
    std::fflush(stderr);
    ExitProcess(71);
}

jobject JNICALL NewGlobalRef(JNIEnv* env, jobject ref)
{
    VM(env).guard(env, "NewGlobalRef");
    if (VM(env).take_fault("NewGlobalRef", env)) return nullptr;
    return VM(env).make_global(VM(env).resolve(env, ref, "NewGlobalRef"));
}

void JNICALL DeleteGlobalRef(JNIEnv* env, jobject ref) { VM(env).delete_ref(env, ref, true, "DeleteGlobalRef"); }
void JNICALL DeleteLocalRef(JNIEnv* env, jobject ref) { VM(env).delete_ref(env, ref, false, "DeleteLocalRef"); }

jboolean JNICALL IsSameObject(JNIEnv* env, jobject a, jobject b)
{
    VM(env).guard(env, "IsSameObject");
    return VM(env).resolve(env, a, "IsSameObject") == VM(env).resolve(env, b, "IsSameObject") ? JNI_TRUE : JNI_FALSE;
}

jobject JNICALL NewLocalRef(JNIEnv* env, jobject ref)
{
    VM(env).guard(env, "NewLocalRef");
    return VM(env).make_local(env, VM(env).resolve(env, ref, "NewLocalRef"));
}

jint JNICALL EnsureLocalCapacity(JNIEnv* env, jint)
{
    VM(env).guard(env, "EnsureLocalCapacity");
    return 0;
}

jclass JNICALL GetObjectClass(JNIEnv* env, jobject obj)
{
    VM(env).guard(env, "GetObjectClass");
    if (!obj) {
        VM(env).violation("GetObjectClass on a null reference");
        return nullptr;
    }
    object* o = VM(env).resolve(env, obj, "GetObjectClass");
    if (!o) return nullptr;
    return static_cast<jclass>(VM(env).make_local(env, o->cls->mirror));
}

jboolean JNICALL IsInstanceOf(JNIEnv* env, jobject obj, jclass cls)
{
    VM(env).guard(env, "IsInstanceOf");
    object* o = VM(env).resolve(env, obj, "IsInstanceOf");
    klass* k = class_of(env, cls, "IsInstanceOf");
    if (!o) return JNI_TRUE;
    return (k && o->cls->is_subclass_of(k)) ? JNI_TRUE : JNI_FALSE;
}

jmethodID lookup_method(JNIEnv* env, jclass cls, const char* name, const char* sig, bool is_static, const char* slot)
{
    VM(env).guard(env, slot);
    if (VM(env).take_fault(slot, env)) return nullptr;
    klass* k = class_of(env, cls, slot);
    if (!k) return nullptr;
    method* m = k->find_method(name, sig, is_static);
    if (!m) {
        const std::string what = k->name + "." + name + sig;
        VM(env).raise(env, "java/lang/NoSuchMethodError", std::u16string(what.begin(), what.end()));
        return nullptr;
    }
    return reinterpret_cast<jmethodID>(m);
}

jmethodID JNICALL GetMethodID(JNIEnv* env, jclass cls, const char* name, const char* sig)
{
    return lookup_method(env, cls, name, sig, false, "GetMethodID");
}
jmethodID JNICALL GetStaticMethodID(JNIEnv* env, jclass cls, const char* name, const char* sig)
{
    return lookup_method(env, cls, name, sig, true, "GetStaticMethodID");
}

// Calls a method with virtual dispatch on the receiver's run-time class. The
// VM lock is not held while the body runs: bodies may block or call back.
jvalue invoke(JNIEnv* env, jobject self, jmethodID id, std::vector<jvalue> args, char expected, const char* slot)
{
    VM(env).guard(env, slot);
    auto* m = reinterpret_cast<method*>(id);
    if (!m) {
        VM(env).violation(std::string(slot) + " with a null method id");
        return jvalue{};
    }
    if (return_kind(m->sig) != expected && !(expected == 'L' && return_kind(m->sig) == 'L'))
        VM(env).violation(std::string(slot) + " used for " + m->name + m->sig);
    method* target = m;
    if (!m->is_static) {
        object* o = VM(env).resolve(env, self, slot);
        if (!o) {
            VM(env).violation(std::string(slot) + " on a null receiver: " + m->name);
            return jvalue{};
        }
        if (!o->cls->is_subclass_of(m->owner))
            VM(env).violation(std::string(slot) + ": receiver of class " + o->cls->name + " has no " + m->name);
        if (m->name != "<init>")
            if (method* overriding = o->cls->find_method(m->name, m->sig, false)) target = overriding;
    }
    if (!target->body) return jvalue{};
    return target->body(env, self, args.data());
}

#define FAKEJVM_CALLS(Type, jtype, member, kind)                                                              \
    jtype JNICALL Call##Type##Method(JNIEnv* env, jobject obj, jmethodID id, ...)                             \
    {                                                                                                         \
        va_list a;                                                                                            \
        va_start(a, id);                                                                                      \
        auto v = read_va(reinterpret_cast<method*>(id)->sig, a);                                              \
        va_end(a);                                                                                            \
        return invoke(env, obj, id, v, kind, "Call" #Type "Method").member;                                   \
    }                                                                                                         \
    jtype JNICALL Call##Type##MethodV(JNIEnv* env, jobject obj, jmethodID id, va_list a)                      \
    {                                                                                                         \
        return invoke(env, obj, id, read_va(reinterpret_cast<method*>(id)->sig, a), kind, "Call" #Type "MethodV") \
            .member;                                                                                          \
    }                                                                                                         \
    jtype JNICALL Call##Type##MethodA(JNIEnv* env, jobject obj, jmethodID id, const jvalue* a)                \
    {                                                                                                         \
        return invoke(env, obj, id, read_array(reinterpret_cast<method*>(id)->sig, a), kind,                  \
                      "Call" #Type "MethodA")                                                                 \
            .member;                                                                                          \
    }                                                                                                         \
    jtype JNICALL CallStatic##Type##Method(JNIEnv* env, jclass, jmethodID id, ...)                            \
    {                                                                                                         \
        va_list a;                                                                                            \
        va_start(a, id);                                                                                      \
        auto v = read_va(reinterpret_cast<method*>(id)->sig, a);                                              \
        va_end(a);                                                                                            \
        return invoke(env, nullptr, id, v, kind, "CallStatic" #Type "Method").member;                         \
    }                                                                                                         \
    jtype JNICALL CallStatic##Type##MethodV(JNIEnv* env, jclass, jmethodID id, va_list a)                     \
    {                                                                                                         \
        return invoke(env, nullptr, id, read_va(reinterpret_cast<method*>(id)->sig, a), kind,                 \
                      "CallStatic" #Type "MethodV")                                                           \
            .member;                                                                                          \
    }                                                                                                         \
    jtype JNICALL CallStatic##Type##MethodA(JNIEnv* env, jclass, jmethodID id, const jvalue* a)               \
    {                                                                                                         \
        return invoke(env, nullptr, id, read_array(reinterpret_cast<method*>(id)->sig, a), kind,              \
                      "CallStatic" #Type "MethodA")                                                           \
            .member;                                                                                          \
    }

// Object results come back from bodies as references of the calling thread already.
FAKEJVM_CALLS(Object, jobject, l, 'L')
FAKEJVM_CALLS(Boolean, jboolean, z, 'Z')
FAKEJVM_CALLS(Int, jint, i, 'I')
FAKEJVM_CALLS(Long, jlong, j, 'J')
FAKEJVM_CALLS(Float, jfloat, f, 'F')

void JNICALL CallVoidMethod(JNIEnv* env, jobject obj, jmethodID id, ...)
{
    va_list a;
    va_start(a, id);
    auto v = read_va(reinterpret_cast<method*>(id)->sig, a);
    va_end(a);
    invoke(env, obj, id, v, 'V', "CallVoidMethod");
}
void JNICALL CallVoidMethodV(JNIEnv* env, jobject obj, jmethodID id, va_list a)
{
    invoke(env, obj, id, read_va(reinterpret_cast<method*>(id)->sig, a), 'V', "CallVoidMethodV");
}
void JNICALL CallVoidMethodA(JNIEnv* env, jobject obj, jmethodID id, const jvalue* a)
{
    invoke(env, obj, id, read_array(reinterpret_cast<method*>(id)->sig, a), 'V', "CallVoidMethodA");
}
void JNICALL CallStaticVoidMethodV(JNIEnv* env, jclass, jmethodID id, va_list a)
{
    invoke(env, nullptr, id, read_va(reinterpret_cast<method*>(id)->sig, a), 'V', "CallStaticVoidMethodV");
}

jobject construct(JNIEnv* env, jclass cls, jmethodID id, std::vector<jvalue> args, const char* slot)
{
    VM(env).guard(env, slot);
    if (VM(env).take_fault(slot, env)) return nullptr;
    klass* k = class_of(env, cls, slot);
    auto* m = reinterpret_cast<method*>(id);
    if (!k || !m || m->name != "<init>") {
        VM(env).violation(std::string(slot) + " without a class and constructor");
        return nullptr;
    }
    jobject self = VM(env).make_local(env, VM(env).allocate(k));
    if (m->body) m->body(env, self, args.data());
    if (st(env).pending) return nullptr;
    return self;
}

jobject JNICALL NewObject(JNIEnv* env, jclass cls, jmethodID id, ...)
{
    va_list a;
    va_start(a, id);
    auto v = read_va(reinterpret_cast<method*>(id)->sig, a);
    va_end(a);
    return construct(env, cls, id, v, "NewObject");
}
jobject JNICALL NewObjectV(JNIEnv* env, jclass cls, jmethodID id, va_list a)
{
    return construct(env, cls, id, read_va(reinterpret_cast<method*>(id)->sig, a), "NewObjectV");
}
jobject JNICALL NewObjectA(JNIEnv* env, jclass cls, jmethodID id, const jvalue* a)
{
    return construct(env, cls, id, read_array(reinterpret_cast<method*>(id)->sig, a), "NewObjectA");
}

jfieldID lookup_field(JNIEnv* env, jclass cls, const char* name, const char* sig, bool is_static, const char* slot)
{
    VM(env).guard(env, slot);
    if (VM(env).take_fault(slot, env)) return nullptr;
    klass* k = class_of(env, cls, slot);
    if (!k) return nullptr;
    field* f = k->find_field(name, sig, is_static);
    if (!f) {
        const std::string what = k->name + "." + name;
        VM(env).raise(env, "java/lang/NoSuchFieldError", std::u16string(what.begin(), what.end()));
        return nullptr;
    }
    return reinterpret_cast<jfieldID>(f);
}

jfieldID JNICALL GetFieldID(JNIEnv* env, jclass cls, const char* name, const char* sig)
{
    return lookup_field(env, cls, name, sig, false, "GetFieldID");
}
jfieldID JNICALL GetStaticFieldID(JNIEnv* env, jclass cls, const char* name, const char* sig)
{
    return lookup_field(env, cls, name, sig, true, "GetStaticFieldID");
}

jvalue* field_slot(JNIEnv* env, jobject obj, jfieldID id, char kind, const char* slot)
{
    VM(env).guard(env, slot);
    auto* f = reinterpret_cast<field*>(id);
    object* o = VM(env).resolve(env, obj, slot);
    if (!f || !o) {
        VM(env).violation(std::string(slot) + " with a null object or field");
        return nullptr;
    }
    const char fk = f->sig[0] == '[' ? 'L' : f->sig[0];
    if (fk != kind) VM(env).violation(std::string(slot) + " used on field " + f->name + " " + f->sig);
    if (!o->cls->is_subclass_of(f->owner))
        VM(env).violation(std::string(slot) + ": object of class " + o->cls->name + " has no field " + f->name);
    std::lock_guard<std::recursive_mutex> hold(VM(env).lock_);
    return &o->fields[f];
}

jvalue* static_slot(JNIEnv* env, jfieldID id, char kind, const char* slot)
{
    VM(env).guard(env, slot);
    auto* f = reinterpret_cast<field*>(id);
    if (!f || !f->is_static) {
        VM(env).violation(std::string(slot) + " with a bad field id");
        return nullptr;
    }
    const char fk = f->sig[0] == '[' ? 'L' : f->sig[0];
    if (fk != kind) VM(env).violation(std::string(slot) + " used on field " + f->name + " " + f->sig);
    return &f->static_value;
}

// Reference-typed field values are stored as object pointers (never as references).
jobject JNICALL GetObjectField(JNIEnv* env, jobject obj, jfieldID id)
{
    jvalue* v = field_slot(env, obj, id, 'L', "GetObjectField");
    return v ? VM(env).make_local(env, reinterpret_cast<object*>(v->l)) : nullptr;
}
void JNICALL SetObjectField(JNIEnv* env, jobject obj, jfieldID id, jobject value)
{
    jvalue* v = field_slot(env, obj, id, 'L', "SetObjectField");
    if (v) v->l = reinterpret_cast<jobject>(VM(env).resolve(env, value, "SetObjectField"));
}
jobject JNICALL GetStaticObjectField(JNIEnv* env, jclass, jfieldID id)
{
    jvalue* v = static_slot(env, id, 'L', "GetStaticObjectField");
    return v ? VM(env).make_local(env, reinterpret_cast<object*>(v->l)) : nullptr;
}

#define FAKEJVM_FIELDS(Type, jtype, member, kind)                                      \
    jtype JNICALL Get##Type##Field(JNIEnv* env, jobject obj, jfieldID id)              \
    {                                                                                  \
        jvalue* v = field_slot(env, obj, id, kind, "Get" #Type "Field");               \
        return v ? v->member : jtype{};                                                \
    }                                                                                  \
    void JNICALL Set##Type##Field(JNIEnv* env, jobject obj, jfieldID id, jtype value)  \
    {                                                                                  \
        if (jvalue* v = field_slot(env, obj, id, kind, "Set" #Type "Field")) v->member = value; \
    }                                                                                  \
    jtype JNICALL GetStatic##Type##Field(JNIEnv* env, jclass, jfieldID id)             \
    {                                                                                  \
        jvalue* v = static_slot(env, id, kind, "GetStatic" #Type "Field");             \
        return v ? v->member : jtype{};                                                \
    }                                                                                  \
    void JNICALL SetStatic##Type##Field(JNIEnv* env, jclass, jfieldID id, jtype value) \
    {                                                                                  \
        if (jvalue* v = static_slot(env, id, kind, "SetStatic" #Type "Field")) v->member = value; \
    }

FAKEJVM_FIELDS(Boolean, jboolean, z, 'Z')
FAKEJVM_FIELDS(Int, jint, i, 'I')
FAKEJVM_FIELDS(Long, jlong, j, 'J')
FAKEJVM_FIELDS(Float, jfloat, f, 'F')

jstring JNICALL NewString(JNIEnv* env, const jchar* chars, jsize length)
{
    VM(env).guard(env, "NewString");
    if (VM(env).take_fault("NewString", env)) return nullptr;
    std::u16string text(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(length));
    return static_cast<jstring>(VM(env).make_local(env, VM(env).string_object(text)));
}

jstring JNICALL NewStringUTF(JNIEnv* env, const char* utf)
{
    VM(env).guard(env, "NewStringUTF");
    if (VM(env).take_fault("NewStringUTF", env)) return nullptr;
    std::u16string text;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf); *p;) {
        if (*p < 0x80) text += static_cast<char16_t>(*p++);
        else if ((*p & 0xE0) == 0xC0) { text += static_cast<char16_t>(((p[0] & 0x1F) << 6) | (p[1] & 0x3F)); p += 2; }
        else { text += static_cast<char16_t>(((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F)); p += 3; }
    }
    return static_cast<jstring>(VM(env).make_local(env, VM(env).string_object(text)));
}

object* string_arg(JNIEnv* env, jstring s, const char* slot)
{
    object* o = VM(env).resolve(env, s, slot);
    if (!o || o->cls != VM(env).find_class("java/lang/String")) {
        VM(env).violation(std::string(slot) + " on something that is no string");
        return nullptr;
    }
    return o;
}

jsize JNICALL GetStringLength(JNIEnv* env, jstring s)
{
    VM(env).guard(env, "GetStringLength");
    object* o = string_arg(env, s, "GetStringLength");
    return o ? static_cast<jsize>(o->text.size()) : 0;
}

const jchar* JNICALL GetStringChars(JNIEnv* env, jstring s, jboolean* is_copy)
{
    VM(env).guard(env, "GetStringChars");
    if (VM(env).take_fault("GetStringChars", env)) return nullptr;
    object* o = string_arg(env, s, "GetStringChars");
    if (!o) return nullptr;
    auto* copy = new jchar[o->text.size() + 1];
    std::memcpy(copy, o->text.data(), o->text.size() * sizeof(jchar));
    copy[o->text.size()] = 0;
    if (is_copy) *is_copy = JNI_TRUE;
    std::lock_guard<std::recursive_mutex> hold(VM(env).lock_);
    VM(env).elements_[copy] = vm::outstanding{o, "GetStringChars"};
    return copy;
}

void JNICALL ReleaseStringChars(JNIEnv* env, jstring s, const jchar* chars)
{
    object* o = VM(env).resolve(env, s, "ReleaseStringChars");
    std::lock_guard<std::recursive_mutex> hold(VM(env).lock_);
    auto it = VM(env).elements_.find(chars);
    if (it == VM(env).elements_.end() || it->second.kind != "GetStringChars" || it->second.owner != o) {
        VM(env).violation("ReleaseStringChars of characters not got from that string");
        return;
    }
    VM(env).elements_.erase(it);
    delete[] chars;
}

object* array_arg(JNIEnv* env, jarray a, char element, const char* slot)
{
    object* o = VM(env).resolve(env, a, slot);
    if (!o || !o->element || (element && o->element != element)) {
        VM(env).violation(std::string(slot) + " on something that is no array of the right kind");
        return nullptr;
    }
    return o;
}

jsize JNICALL GetArrayLength(JNIEnv* env, jarray a)
{
    VM(env).guard(env, "GetArrayLength");
    object* o = array_arg(env, a, 0, "GetArrayLength");
    if (!o) return 0;
    return static_cast<jsize>(o->element == 'B' ? o->bytes.size() : o->elements.size());
}

jobjectArray JNICALL NewObjectArray(JNIEnv* env, jsize length, jclass element, jobject initial)
{
    VM(env).guard(env, "NewObjectArray");
    if (VM(env).take_fault("NewObjectArray", env)) return nullptr;
    klass* k = class_of(env, element, "NewObjectArray");
    object* o = VM(env).allocate(VM(env).find_class("java/lang/Object"));
    o->element = 'L';
    (void)k;
    o->elements.assign(static_cast<size_t>(length), VM(env).resolve(env, initial, "NewObjectArray"));
    return static_cast<jobjectArray>(VM(env).make_local(env, o));
}

jobject JNICALL GetObjectArrayElement(JNIEnv* env, jobjectArray a, jsize index)
{
    VM(env).guard(env, "GetObjectArrayElement");
    object* o = array_arg(env, a, 'L', "GetObjectArrayElement");
    if (!o) return nullptr;
    if (index < 0 || static_cast<size_t>(index) >= o->elements.size()) {
        VM(env).raise(env, "java/lang/ArrayIndexOutOfBoundsException", u"index");
        return nullptr;
    }
    return VM(env).make_local(env, o->elements[static_cast<size_t>(index)]);
}

void JNICALL SetObjectArrayElement(JNIEnv* env, jobjectArray a, jsize index, jobject value)
{
    VM(env).guard(env, "SetObjectArrayElement");
    object* o = array_arg(env, a, 'L', "SetObjectArrayElement");
    if (!o) return;
    if (index < 0 || static_cast<size_t>(index) >= o->elements.size()) {
        VM(env).raise(env, "java/lang/ArrayIndexOutOfBoundsException", u"index");
        return;
    }
    o->elements[static_cast<size_t>(index)] = VM(env).resolve(env, value, "SetObjectArrayElement");
}

jbyteArray JNICALL NewByteArray(JNIEnv* env, jsize length)
{
    VM(env).guard(env, "NewByteArray");
    if (VM(env).take_fault("NewByteArray", env)) return nullptr;
    object* o = VM(env).allocate(VM(env).find_class("java/lang/Object"));
    o->element = 'B';
    o->bytes.assign(static_cast<size_t>(length), 0);
    return static_cast<jbyteArray>(VM(env).make_local(env, o));
}

jbyte* JNICALL GetByteArrayElements(JNIEnv* env, jbyteArray a, jboolean* is_copy)
{
    VM(env).guard(env, "GetByteArrayElements");
    if (VM(env).take_fault("GetByteArrayElements", env)) return nullptr;
    object* o = array_arg(env, a, 'B', "GetByteArrayElements");
    if (!o) return nullptr;
    auto* copy = new jbyte[o->bytes.size() + 1];
    std::memcpy(copy, o->bytes.data(), o->bytes.size());
    if (is_copy) *is_copy = JNI_TRUE;
    std::lock_guard<std::recursive_mutex> hold(VM(env).lock_);
    VM(env).elements_[copy] = vm::outstanding{o, "GetByteArrayElements"};
    return copy;
}

void JNICALL ReleaseByteArrayElements(JNIEnv* env, jbyteArray a, jbyte* elements, jint mode)
{
    object* o = VM(env).resolve(env, a, "ReleaseByteArrayElements");
    std::lock_guard<std::recursive_mutex> hold(VM(env).lock_);
    auto it = VM(env).elements_.find(elements);
    if (it == VM(env).elements_.end() || it->second.kind != "GetByteArrayElements" || it->second.owner != o) {
        VM(env).violation("ReleaseByteArrayElements of elements not got from that array");
        return;
    }
    if (mode != JNI_ABORT) std::memcpy(o->bytes.data(), elements, o->bytes.size());
    if (mode != JNI_COMMIT) {
        VM(env).elements_.erase(it);
        delete[] elements;
    }
}

void JNICALL GetByteArrayRegion(JNIEnv* env, jbyteArray a, jsize start, jsize length, jbyte* out)
{
    VM(env).guard(env, "GetByteArrayRegion");
    object* o = array_arg(env, a, 'B', "GetByteArrayRegion");
    if (!o) return;
    if (start < 0 || length < 0 || static_cast<size_t>(start) + static_cast<size_t>(length) > o->bytes.size()) {
        VM(env).raise(env, "java/lang/ArrayIndexOutOfBoundsException", u"region");
        return;
    }
    std::memcpy(out, o->bytes.data() + start, static_cast<size_t>(length));
}

void JNICALL SetByteArrayRegion(JNIEnv* env, jbyteArray a, jsize start, jsize length, const jbyte* in)
{
    VM(env).guard(env, "SetByteArrayRegion");
    object* o = array_arg(env, a, 'B', "SetByteArrayRegion");
    if (!o) return;
    if (start < 0 || length < 0 || static_cast<size_t>(start) + static_cast<size_t>(length) > o->bytes.size()) {
        VM(env).raise(env, "java/lang/ArrayIndexOutOfBoundsException", u"region");
        return;
    }
    std::memcpy(o->bytes.data() + start, in, static_cast<size_t>(length));
}

jint JNICALL GetJavaVM(JNIEnv* env, JavaVM** out)
{
    VM(env).guard(env, "GetJavaVM");
    if (VM(env).take_fault("GetJavaVM", env)) {
        st(env).pending = nullptr; // GetJavaVM reports by its result alone
        *out = nullptr;
        return JNI_ERR;
    }
    *out = VM(env).java_vm();
    return JNI_OK;
}

// ---- invocation interface ----

vm& of_vm(JavaVM* jvm) { return *reinterpret_cast<vm::vm_handle*>(jvm)->owner; }

jint JNICALL AttachCurrentThread(JavaVM* jvm, void** penv, void*) { return of_vm(jvm).attach(penv); }
jint JNICALL AttachCurrentThreadAsDaemon(JavaVM* jvm, void** penv, void*) { return of_vm(jvm).attach(penv); }
jint JNICALL DetachCurrentThread(JavaVM* jvm) { return of_vm(jvm).detach(); }
jint JNICALL GetEnv(JavaVM* jvm, void** penv, jint)
{
    vm::thread_state* s = of_vm(jvm).find_state(GetCurrentThreadId());
    *penv = s ? &s->env : nullptr;
    return s ? JNI_OK : JNI_EDETACHED;
}

#undef VM

} // namespace fn

JNINativeInterface_ make_native_table()
{
    JNINativeInterface_ t;
    fill_native(reinterpret_cast<void**>(&t), std::make_index_sequence<native_slot_count>());
#define SET(name) t.name = fn::name
    SET(GetVersion); SET(FindClass); SET(GetSuperclass); SET(IsAssignableFrom);
    SET(Throw); SET(ThrowNew); SET(ExceptionOccurred); SET(ExceptionDescribe); SET(ExceptionClear);
    SET(ExceptionCheck); SET(FatalError);
    SET(NewGlobalRef); SET(DeleteGlobalRef); SET(DeleteLocalRef); SET(IsSameObject); SET(NewLocalRef);
    SET(EnsureLocalCapacity);
    SET(NewObject); SET(NewObjectV); SET(NewObjectA); SET(GetObjectClass); SET(IsInstanceOf);
    SET(GetMethodID); SET(GetStaticMethodID);
    SET(CallObjectMethod); SET(CallObjectMethodV); SET(CallObjectMethodA);
    SET(CallBooleanMethod); SET(CallBooleanMethodV); SET(CallBooleanMethodA);
    SET(CallIntMethod); SET(CallIntMethodV); SET(CallIntMethodA);
    SET(CallLongMethod); SET(CallLongMethodV); SET(CallLongMethodA);
    SET(CallFloatMethod); SET(CallFloatMethodV); SET(CallFloatMethodA);
    SET(CallVoidMethod); SET(CallVoidMethodV); SET(CallVoidMethodA);
    SET(CallStaticObjectMethod); SET(CallStaticObjectMethodV); SET(CallStaticObjectMethodA);
    SET(CallStaticBooleanMethod); SET(CallStaticBooleanMethodV); SET(CallStaticBooleanMethodA);
    SET(CallStaticIntMethod); SET(CallStaticIntMethodV); SET(CallStaticIntMethodA);
    SET(CallStaticLongMethod); SET(CallStaticLongMethodV); SET(CallStaticLongMethodA);
    SET(CallStaticFloatMethod); SET(CallStaticFloatMethodV); SET(CallStaticFloatMethodA);
    SET(CallStaticVoidMethodV);
    SET(GetFieldID); SET(GetStaticFieldID);
    SET(GetObjectField); SET(SetObjectField); SET(GetStaticObjectField);
    SET(GetBooleanField); SET(SetBooleanField); SET(GetStaticBooleanField); SET(SetStaticBooleanField);
    SET(GetIntField); SET(SetIntField); SET(GetStaticIntField); SET(SetStaticIntField);
    SET(GetLongField); SET(SetLongField); SET(GetStaticLongField); SET(SetStaticLongField);
    SET(GetFloatField); SET(SetFloatField); SET(GetStaticFloatField); SET(SetStaticFloatField);
    SET(NewString); SET(NewStringUTF); SET(GetStringLength); SET(GetStringChars); SET(ReleaseStringChars);
    SET(GetArrayLength); SET(NewObjectArray); SET(GetObjectArrayElement); SET(SetObjectArrayElement);
    SET(NewByteArray); SET(GetByteArrayElements); SET(ReleaseByteArrayElements);
    SET(GetByteArrayRegion); SET(SetByteArrayRegion);
    SET(GetJavaVM);
#undef SET
    return t;
}

JNIInvokeInterface_ make_invoke_table()
{
    JNIInvokeInterface_ t;
    fill_invoke(reinterpret_cast<void**>(&t), std::make_index_sequence<invoke_slot_count>());
    t.AttachCurrentThread = fn::AttachCurrentThread;
    t.AttachCurrentThreadAsDaemon = fn::AttachCurrentThreadAsDaemon;
    t.DetachCurrentThread = fn::DetachCurrentThread;
    t.GetEnv = fn::GetEnv;
    return t;
}

const JNINativeInterface_ native_table = make_native_table();
const JNIInvokeInterface_ invoke_table = make_invoke_table();

// ---- vm ----

vm::vm()
{
    handle_.jvm.functions = &invoke_table;
    handle_.owner = this;
    define_class("java/lang/Object", "");
    define_class("java/lang/Class");
    for (klass& k : classes_) k.mirror->cls = find_class("java/lang/Class");
    define_class("java/lang/String");

    auto set_message = [this](JNIEnv*, jobject self, const jvalue* args) {
        deref(self)->message = args[0].l ? string_of(args[0].l) : u"";
        return jv_void();
    };
    define_class("java/lang/Throwable").add_method("<init>", "(Ljava/lang/String;)V", set_message);
    for (const char* name : {"java/lang/Exception", "java/lang/Error"})
        define_class(name, "java/lang/Throwable").add_method("<init>", "(Ljava/lang/String;)V", set_message);
    for (const char* name : {"java/lang/RuntimeException"})
        define_class(name, "java/lang/Exception").add_method("<init>", "(Ljava/lang/String;)V", set_message);
    for (const char* name : {"java/lang/OutOfMemoryError", "java/lang/NoSuchFieldError", "java/lang/NoSuchMethodError",
                             "java/lang/NoClassDefFoundError"})
        define_class(name, "java/lang/Error").add_method("<init>", "(Ljava/lang/String;)V", set_message);
    define_class("java/lang/ArrayIndexOutOfBoundsException", "java/lang/RuntimeException");

    main_env_ = java_thread_env();
}

vm::~vm()
{
    if (!elements_.empty())
        ADD_FAILURE() << "JNI misuse: " << elements_.size() << " Get...Chars/Elements never released";
    for (auto& e : elements_) {
        if (e.second.kind == "GetStringChars")
            delete[] static_cast<const jchar*>(e.first);
        else
            delete[] static_cast<const jbyte*>(e.first);
    }
}

JavaVM* vm::java_vm() { return reinterpret_cast<JavaVM*>(&handle_); }

vm::thread_state& vm::add_state(DWORD thread)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    auto state = std::make_unique<thread_state>();
    state->env.functions = &native_table;
    state->owner = this;
    state->thread = thread;
    thread_state& s = *state;
    threads_[thread] = std::move(state);
    return s;
}

JNIEnv* vm::java_thread_env()
{
    const DWORD thread = GetCurrentThreadId();
    if (thread_state* s = find_state(thread)) return &s->env;
    return &add_state(thread).env;
}

jint vm::attach(void** penv)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    ++attaches_;
    if (take_fault("AttachCurrentThread", nullptr)) {
        *penv = nullptr;
        return JNI_ERR;
    }
    const DWORD thread = GetCurrentThreadId();
    thread_state* s = find_state(thread);
    if (!s) {
        s = &add_state(thread);
        s->attached = true;
    }
    *penv = &s->env;
    return JNI_OK;
}

jint vm::detach()
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    ++detaches_;
    const DWORD thread = GetCurrentThreadId();
    thread_state* s = find_state(thread);
    if (!s) {
        violation("DetachCurrentThread on a thread that is not attached");
        return JNI_EDETACHED;
    }
    if (!s->attached) return JNI_OK; // a Java thread stays as it is, as with a real VM's own threads
    if (s->pending) violation("DetachCurrentThread with an exception pending");
    // The thread's frame ends: its local references go.
    for (ref_record& r : refs_)
        if (!r.global && r.thread == thread) r.live = false;
    threads_.erase(thread);
    return JNI_OK;
}

jobject vm::new_object(const std::string& class_name)
{
    klass* k = find_class(class_name);
    if (!k) {
        ADD_FAILURE() << "fake JVM: no class " << class_name;
        return nullptr;
    }
    return make_local(java_thread_env(), allocate(k));
}

jstring vm::new_string(const std::u16string& text)
{
    return static_cast<jstring>(make_local(java_thread_env(), string_object(text)));
}

jbyteArray vm::new_byte_array(const std::vector<jbyte>& bytes)
{
    object* o = allocate(find_class("java/lang/Object"));
    o->element = 'B';
    o->bytes = bytes;
    return static_cast<jbyteArray>(make_local(java_thread_env(), o));
}

jobjectArray vm::new_object_array(const std::string&, const std::vector<jobject>& elements)
{
    object* o = allocate(find_class("java/lang/Object"));
    o->element = 'L';
    for (jobject e : elements) o->elements.push_back(deref(e));
    return static_cast<jobjectArray>(make_local(java_thread_env(), o));
}

jclass vm::class_ref(const std::string& name)
{
    klass* k = find_class(name);
    return k ? static_cast<jclass>(make_local(java_thread_env(), k->mirror)) : nullptr;
}

object* vm::deref(jobject ref) const
{
    return ref ? reinterpret_cast<ref_record*>(ref)->target : nullptr;
}

std::u16string vm::string_of(jobject ref) const
{
    object* o = deref(ref);
    return o ? o->text : std::u16string();
}

std::vector<jbyte> vm::bytes_of(jobject ref) const
{
    object* o = deref(ref);
    return o ? o->bytes : std::vector<jbyte>();
}

jvalue vm::field_value(jobject ref, const std::string& name) const
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    object* o = deref(ref);
    for (klass* k = o->cls; k; k = k->super)
        for (field& f : k->fields)
            if (f.name == name && !f.is_static) {
                auto it = o->fields.find(&f);
                return it == o->fields.end() ? jvalue{} : it->second;
            }
    ADD_FAILURE() << "fake JVM: no field " << name;
    return jvalue{};
}

void vm::set_field_value(jobject ref, const std::string& name, jvalue value)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    object* o = deref(ref);
    for (klass* k = o->cls; k; k = k->super)
        for (field& f : k->fields)
            if (f.name == name && !f.is_static) {
                if (f.sig[0] == 'L' || f.sig[0] == '[') value.l = reinterpret_cast<jobject>(deref(value.l));
                o->fields[&f] = value;
                return;
            }
    ADD_FAILURE() << "fake JVM: no field " << name;
}

bool vm::exception_pending() const
{
    thread_state* s = find_state(GetCurrentThreadId());
    return s && s->pending;
}

std::string vm::pending_class() const
{
    thread_state* s = find_state(GetCurrentThreadId());
    return (s && s->pending) ? s->pending->cls->name : std::string();
}

std::u16string vm::pending_message() const
{
    thread_state* s = find_state(GetCurrentThreadId());
    return (s && s->pending) ? s->pending->message : std::u16string();
}

void vm::clear_exception()
{
    if (thread_state* s = find_state(GetCurrentThreadId())) s->pending = nullptr;
}

void vm::throw_new(JNIEnv* env, const std::string& class_name, const std::u16string& message)
{
    raise(env, class_name, message);
}

int vm::live_global_refs() const
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    int n = 0;
    for (const ref_record& r : refs_) n += (r.global && r.live) ? 1 : 0;
    return n;
}

int vm::live_local_refs(DWORD thread) const
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    int n = 0;
    for (const ref_record& r : refs_) n += (!r.global && r.live && r.thread == thread) ? 1 : 0;
    return n;
}

int vm::outstanding_elements() const
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return static_cast<int>(elements_.size());
}

} // namespace fakejvm
