// Prints how many functions the generated references take the address of;
// that it links at all is the test.
#include <cstdio>

extern void* const declaredFunctions[];

int main()
{
    int count = 0;
    while (declaredFunctions[count] != nullptr) ++count;
    std::printf("%d functions referenced by their symbols\n", count);
}
