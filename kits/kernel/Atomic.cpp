// Atomic operations on 32-bit values, sequentially consistent.
#include <OS.h>

// A null pointer is answered with 0 rather than a crash.
int32 atomic_add(int32* value, int32 addValue)
{
	if (value == nullptr)
		return 0;
	return __atomic_fetch_add(value, addValue, __ATOMIC_SEQ_CST);
}

int32 atomic_set(int32* value, int32 newValue)
{
	if (value == nullptr)
		return 0;
	return __atomic_exchange_n(value, newValue, __ATOMIC_SEQ_CST);
}

int32 atomic_get(int32* value)
{
	if (value == nullptr)
		return 0;
	return __atomic_load_n(value, __ATOMIC_SEQ_CST);
}
