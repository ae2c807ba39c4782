// Carries the tests' shared precompiled header; never run as a test.
int main() { return 0; }
