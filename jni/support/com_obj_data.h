#pragma once

namespace morvalent::jni {

// Base of the native objects that stand behind Java objects; lets an owner
// destroy any of them through one pointer type.
class COM_obj_data {
public:
    COM_obj_data() = default;
    COM_obj_data(const COM_obj_data&) = delete;
    COM_obj_data& operator=(const COM_obj_data&) = delete;
    virtual ~COM_obj_data() {}
};

} // namespace morvalent::jni
