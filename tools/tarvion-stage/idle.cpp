// A program that does nothing until it is killed: staged under the product's process names.
#include <chrono>
#include <thread>

int main()
{
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}
