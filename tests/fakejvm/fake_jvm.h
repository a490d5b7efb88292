#pragma once

// A small, strict stand-in for the Java VM behind the real JNI function tables.
// Classes, objects, fields, methods (C++ callables), strings, arrays, local and
// global references and one pending exception per thread. It fails the running
// test on JNI misuse: a call while an exception is pending (other than the
// functions JNI allows then), a deleted or foreign reference, unbalanced
// Get/Release pairs, a global reference deleted twice. A table slot that it
// does not implement ends the process with the slot's name.

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <jni.h>

namespace fakejvm {

class vm;
struct klass;
struct object;

// A method body: receives the calling thread's environment, the receiver (null
// for static methods) and the arguments as the signature gives them.
using method_body = std::function<jvalue(JNIEnv* env, jobject self, const jvalue* args)>;

struct field {
    std::string name;
    std::string sig;
    bool is_static = false;
    klass* owner = nullptr;
    jvalue static_value{};
};

struct method {
    std::string name;
    std::string sig;
    bool is_static = false;
    klass* owner = nullptr;
    method_body body;
};

struct klass {
    std::string name;
    klass* super = nullptr;
    object* mirror = nullptr; // its java.lang.Class object
    std::deque<field> fields;
    std::deque<method> methods;

    klass& add_field(const std::string& name, const std::string& sig);
    klass& add_static_field(const std::string& name, const std::string& sig, jvalue initial = {});
    klass& add_method(const std::string& name, const std::string& sig, method_body body);
    klass& add_static_method(const std::string& name, const std::string& sig, method_body body);

    field* find_field(const std::string& name, const std::string& sig, bool is_static);
    method* find_method(const std::string& name, const std::string& sig, bool is_static);
    bool is_subclass_of(const klass* other) const;
};

struct object {
    klass* cls = nullptr;
    std::map<const field*, jvalue> fields;
    klass* as_class = nullptr;    // set for java.lang.Class objects
    std::u16string text;          // java.lang.String
    char element = 0;             // array element type ('B', 'I', 'L', ...), 0 for no array
    std::vector<jbyte> bytes;     // byte[]
    std::vector<object*> elements; // object arrays
    std::u16string message;       // java.lang.Throwable
};

jvalue jv_int(jint v);
jvalue jv_long(jlong v);
jvalue jv_bool(bool v);
jvalue jv_float(jfloat v);
jvalue jv_object(jobject v);
inline jvalue jv_void() { return jvalue{}; }

class vm {
public:
    vm();
    ~vm();
    vm(const vm&) = delete;
    vm& operator=(const vm&) = delete;

    // The environment of the thread that created the VM.
    JNIEnv* env() const { return main_env_; }
    JavaVM* java_vm();
    // Registers the calling thread as a Java thread (as the VM's own threads
    // are) and gives its environment. Not counted as an attach.
    JNIEnv* java_thread_env();

    klass& define_class(const std::string& name, const std::string& super = "java/lang/Object");
    klass* find_class(const std::string& name);

    // Objects made by the tests: each returns a new local reference of the calling thread.
    jobject new_object(const std::string& class_name);
    jstring new_string(const std::u16string& text);
    jbyteArray new_byte_array(const std::vector<jbyte>& bytes);
    jobjectArray new_object_array(const std::string& element_class, const std::vector<jobject>& elements);
    jclass class_ref(const std::string& name);

    object* deref(jobject ref) const;      // no checks; null for null
    std::u16string string_of(jobject ref) const;
    std::vector<jbyte> bytes_of(jobject ref) const;
    jvalue field_value(jobject ref, const std::string& name) const;
    void set_field_value(jobject ref, const std::string& name, jvalue value);

    // Exceptions of the calling thread.
    bool exception_pending() const;
    std::string pending_class() const;
    std::u16string pending_message() const;
    void clear_exception();
    void throw_new(JNIEnv* env, const std::string& class_name, const std::u16string& message);

    // The next `count` calls of the named table slot fail as a VM out of memory
    // would: they return null/0 and leave OutOfMemoryError pending.
    void fail_next(const std::string& slot, int count = 1);

    // Checks and counters for the tests.
    int live_global_refs() const;
    int live_local_refs(DWORD thread_id) const;
    int outstanding_elements() const; // Get...Chars/Elements not yet released
    int attach_count() const { return attaches_; }
    int detach_count() const { return detaches_; }
    std::vector<std::string> violations() const;
    void clear_violations();

    // Internal, used by the table functions.
    struct ref_record {
        object* target;
        bool global;
        bool live;
        DWORD thread;
    };
    struct thread_state {
        JNIEnv_ env;
        vm* owner;
        DWORD thread;
        object* pending = nullptr;
        bool attached = false;
    };
    struct vm_handle {
        JavaVM_ jvm;
        vm* owner;
    };

    static vm& of(JNIEnv* env);
    static thread_state& state_of(JNIEnv* env);
    void violation(const std::string& what);
    bool take_fault(const char* slot, JNIEnv* env);
    void guard(JNIEnv* env, const char* slot); // no pending exception allowed
    object* resolve(JNIEnv* env, jobject ref, const char* slot);
    jobject make_local(JNIEnv* env, object* target);
    jobject make_global(object* target);
    bool delete_ref(JNIEnv* env, jobject ref, bool global, const char* slot);
    object* allocate(klass* cls);
    object* string_object(const std::u16string& text);
    void raise(JNIEnv* env, const std::string& class_name, const std::u16string& message);
    thread_state* find_state(DWORD thread) const;
    thread_state& add_state(DWORD thread);
    jint attach(void** penv);
    jint detach();

    struct outstanding {
        object* owner;
        std::string kind;
    };
    std::map<const void*, outstanding> elements_;

    mutable std::recursive_mutex lock_;

private:
    std::deque<klass> classes_;
    std::deque<object> objects_;
    std::deque<ref_record> refs_;
    std::map<DWORD, std::unique_ptr<thread_state>> threads_;
    std::map<std::string, int> faults_;
    std::vector<std::string> violations_;
    vm_handle handle_{};
    JNIEnv* main_env_ = nullptr;
    int attaches_ = 0;
    int detaches_ = 0;
};

} // namespace fakejvm
