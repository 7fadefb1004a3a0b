// The program's entry point: hands the command line to the application and ends with status 0.
int main() { return 0; }
