#pragma once
// Counts every global operator new in the program it is linked into.
namespace bench {
long allocationCount();
}
