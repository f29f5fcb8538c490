set(compiled_alone
    src/data/advance_repository.cpp
    src/data/backup_service.cpp
    src/data/loan_repository.cpp
    src/data/payroll_repository.cpp
    src/data/safe_file.cpp
    src/data/statutory_repository.cpp
)
