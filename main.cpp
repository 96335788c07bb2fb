// Placeholder until the application shell exists.
#include <cstdio>

int main()
{
    std::puts("Project Travik");
    return 0;
}
