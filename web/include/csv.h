/* The page's build has no system CSV library: this is the small interface that
   norms/read/delimited_file.cpp calls, answered by web/csv_tokenizer.cpp, a strict RFC 4180
   tokenizer. Only what that reader uses is here. */
#ifndef VORNAK_WEB_CSV_H
#define VORNAK_WEB_CSV_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CSV_STRICT 1      /* a quote inside an unquoted field, or text after a closing quote, is an error */
#define CSV_STRICT_FINI 4 /* the data ending inside a quoted field is an error */
#define CSV_EPARSE 1
#define CSV_ENOMEM 2

struct csv_parser {
    int state;
    int quoted;
    int error;
    unsigned char delimiter;
    char* field;
    size_t field_size;
    size_t field_capacity;
    size_t kept_size; /* the field without its trailing blanks */
};

int csv_init(struct csv_parser* parser, unsigned char options);
void csv_set_delim(struct csv_parser* parser, unsigned char delimiter);
void csv_set_blk_size(struct csv_parser* parser, size_t size);
size_t csv_parse(struct csv_parser* parser, const void* data, size_t size,
                 void (*on_field)(void*, size_t, void*), void (*on_row_end)(int, void*),
                 void* context);
int csv_fini(struct csv_parser* parser, void (*on_field)(void*, size_t, void*),
             void (*on_row_end)(int, void*), void* context);
void csv_free(struct csv_parser* parser);
int csv_error(const struct csv_parser* parser);

#ifdef __cplusplus
}
#endif

#endif
