// The two calling forms of the elementwise functions and their pointer checks:
// form 1 works in place on "vec", form 2 reads "src" and writes "dst".
#pragma once

#include "core/check.h"

namespace vok::vec {

enum class Form { inPlace, twoArrays };

inline bool badVectors(const ArgChecks& check, Form form, int len, const void* src, const void* dst) {
    if (check(len <= 0, "len<=0")) return true;
    if (form == Form::inPlace) return check(!src, "vec==0");
    return check(!src, "src==0") || check(!dst, "dst==0");
}

}  // namespace vok::vec
