#pragma once
/// @file
/// Last-in-first-out container over a growable array; the top is the last element.
#include <vector>

#include "basic/assert.hpp"

namespace basic {

/// A last-in-first-out container over a growable array, the scene stack's storage. It owns
/// copies of its values; pop and top of an empty stack are index errors (std::out_of_range).
///
/// @code
/// basic::Stack<int> s;
/// s.push(1);
/// s.push(2);
/// int two = s.pop();  // s.top() is 1 now
/// @endcode
template <class T>
class Stack {
  public:
    /// Puts a copy of x on top.
    void push(const T& x) { items_.push_back(x); }
    /// Removes the top and returns it; std::out_of_range "pop on an empty stack" when empty.
    T pop() {
        if (items_.empty()) BASIC_INDEX_ERROR("pop on an empty stack");
        T x = items_.back();
        items_.pop_back();
        return x;
    }
    /// A copy of the top; std::out_of_range "top of an empty stack" when empty.
    T top() const {
        if (items_.empty()) BASIC_INDEX_ERROR("top of an empty stack");
        return items_.back();
    }
    /// Removes every value.
    void clear() { items_.clear(); }
    /// True when the stack holds nothing.
    bool empty() const { return items_.empty(); }
    /// The number of values on the stack.
    std::size_t size() const { return items_.size(); }

  private:
    std::vector<T> items_;
};

}  // namespace basic
