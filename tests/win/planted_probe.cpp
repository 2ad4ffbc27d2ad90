// A DLL for the search-order tests to plant where a program must not look.
extern "C" __declspec(dllexport) int PlantedProbe() { return 7; }
