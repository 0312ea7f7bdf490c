// Carries a checked-in version resource; does nothing when run.
int main() { return 0; }
