#pragma once

#include "products/FieldValue.h"

namespace zuva::products {

// A consumer of filtered values (the IAGA-2002 day files, the publisher). Values of
// one interval arrive in time order, every second (or minute) once, missing ones
// included as NaN, as soon as the filter has what it needs.
class FieldValueListener {
public:
    virtual ~FieldValueListener() = default;
    virtual void valueReady(Interval interval, const FieldValue& value) = 0;
};

}  // namespace zuva::products
