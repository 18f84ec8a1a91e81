// STUB: replaced by the host program work.
int main() { return 0; }
